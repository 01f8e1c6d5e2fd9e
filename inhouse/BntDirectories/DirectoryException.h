// brontel::directories::DirectoryException and AccountAlreadyLinkedException: failures of the
// directory library, thrown by value and caught by reference.
#pragma once

#include <stdexcept>
#include <string>

namespace brontel::directories {

// A directory could not be read or an account could not be linked.
class DirectoryException : public std::runtime_error {
public:
    explicit DirectoryException(const std::string& what) : std::runtime_error(what) {}
};

// The account is linked to a person already.
class AccountAlreadyLinkedException : public DirectoryException {
public:
    AccountAlreadyLinkedException() : DirectoryException("The account is already linked.") {}
};

}  // namespace brontel::directories
