// The application title and the exception report's message, as plain rules.
#pragma once

#include <QString>
#include <exception>
#include <string>

// The executable's file name without its directory and from its first "." on, every character
// after the first in lower case: "/usr/bin/Quorel.bin" gives "Quorel".
QString AppTitle(const QString& executablePath);

// The message of the innermost nested exception that has a non-empty one, with "." appended when
// its last character's code is above that of "."; empty for anything not a std::exception.
std::string ReportMessage(const std::exception_ptr& error);
