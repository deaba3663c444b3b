// Which values the Program Settings dialog takes for an option: a number option needs a
// number, the transfer port one that names a serial port, the baud rate one the port
// can be set to.
#pragma once

#include "Options.h"

#include <QString>

// What is wrong with value as the new value of option, in words for the user; empty
// when the option takes it.
QString OptionValueProblem(const ProgramOption& option, const QString& value);
