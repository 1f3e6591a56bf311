#pragma once
// Base of the exceptions the framework raises. The program never catches them itself:
// they end the handler that raised them and reach the unhandled-exception handler.
#include <QString>
#include <exception>
#include <string>

namespace platform {

class RuntimeException : public std::exception {
public:
    explicit RuntimeException(QString message = {});
    // Class name as the unhandled-exception handler reports it.
    virtual QString className() const { return QStringLiteral("RuntimeException"); }
    QString message() const { return message_; }
    // Class name and message, in UTF-8.
    const char* what() const noexcept override;

private:
    QString message_;
    // Filled on first use: the class name is not known yet while the base is constructed.
    mutable std::string what_;
};

} // namespace platform
