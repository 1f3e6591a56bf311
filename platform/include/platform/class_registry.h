#pragma once
// Class records: the run-time description of the framework's classes and the program's.
#include <QString>

namespace platform {

// The run-time description of a class: its full name and its base.
struct ClassRecord {
    QString fullName;
    const ClassRecord* base = nullptr;
};

// Builds the record of a class once: a second call with the same name returns the first
// record unchanged.
const ClassRecord* RegisterClass(const QString& fullName, const ClassRecord* base);
// The record of the class with that full name, or nullptr.
const ClassRecord* FindClass(const QString& fullName);
// The framework's own classes.
const ClassRecord* ApplicationClass();
const ClassRecord* WindowClass();
const ClassRecord* MenuBarClass();
// Builds the records of the framework's classes and the empty list of open windows.
void InitializeFrameworkClasses();

} // namespace platform
