// The failures of the directory sign-on stand-in (SignOnDirectoryManager, SignOnDirectory),
// told apart by their kind.
//
// Thrown by value and caught by reference; immutable after construction.
#pragma once

#include <stdexcept>
#include <string>

namespace brontel::directories {

class SignOnDirectoryException : public std::runtime_error {
public:
    enum class Kind {
        NoAccountsFound,            // a person has no linked directory account
        Directory,                  // the directory refused the request
        AccountLinkedMoreThanOnce,  // one directory account is linked to several people
    };

    SignOnDirectoryException(Kind kind, const std::string& message) : std::runtime_error(message), m_kind(kind) {}

    Kind GetKind() const { return m_kind; }

private:
    Kind m_kind;
};

}  // namespace brontel::directories
