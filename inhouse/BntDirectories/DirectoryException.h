// brontel::directories::DirectoryException and the refusals derived from it: failures of the
// directory library, thrown by value and caught by reference (the derived ones first).
#pragma once

#include <stdexcept>
#include <string>

namespace brontel::directories {

// A directory could not be read, an account could not be linked, or a request was not understood.
class DirectoryException : public std::runtime_error
{
public:
    explicit DirectoryException(const std::string& what) : std::runtime_error(what) {}
};

// The account is linked to a person already.
class AccountAlreadyLinkedException : public DirectoryException
{
public:
    AccountAlreadyLinkedException() : DirectoryException("The account is already linked.") {}
};

// A person has no linked directory account.
class NoAccountsFoundException : public DirectoryException
{
public:
    NoAccountsFoundException() : DirectoryException("No directory account is linked to the person.") {}
};

// One directory account is linked to several people.
class AccountLinkedMoreThanOnceException : public DirectoryException
{
public:
    AccountLinkedMoreThanOnceException()
        : DirectoryException("The directory account is linked to more than one person.")
    {
    }
};

}  // namespace brontel::directories
