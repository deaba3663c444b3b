// Where build output goes: the build messages window implements this, and a build
// without a window writes each message as a line on standard output.
#pragma once

#include <QString>

class IBuildMessages
{
public:
    virtual ~IBuildMessages() = default;
    // Appends one line and makes it visible at once.
    virtual void AddMessage(const QString& line) = 0;
    virtual void ClearMessages() = 0;
    virtual void ShowMessages() = 0;
    virtual void HideMessages() = 0;
};
