#pragma once
// Exceptions the framework raises.
#include <QString>
#include <exception>
#include <stdexcept>
#include <string>

namespace platform {

// Base of the exceptions raised at run time. The program never catches them itself: they
// end the handler that raised them and reach the unhandled-exception handler.
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

// A failed file stream, carrying the file system's error number.
class IOException : public RuntimeException {
public:
    explicit IOException(int errorNumber, QString message = {});
    QString className() const override { return QStringLiteral("IOException"); }
    int ErrorNumber() const { return errorNumber_; }

private:
    int errorNumber_;
};

// A missing object: a control not found by name, a folder that could not be had.
class NilObjectException : public RuntimeException {
public:
    using RuntimeException::RuntimeException;
    QString className() const override { return QStringLiteral("NilObjectException"); }
};

// A property record that does not fit its target: a programming error, raised loudly.
class PropertyRecordError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

} // namespace platform
