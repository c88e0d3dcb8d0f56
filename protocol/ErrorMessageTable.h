#pragma once
#include <QString>

// Texts of the negative result codes that the configuration workers and the firmware flashing
// report (frame exchange faults, configuration file read and write, firmware download). The texts
// are the program's reference for each code and are not translated.
class ErrorMessageTable
{
public:
    // The text of code, or "其他错误" for a code without one.
    static QString getErrorMessage(int code);
};
