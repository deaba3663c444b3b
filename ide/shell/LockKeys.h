// The state of the three lock keys for the status bar's indicator panes.
#pragma once

struct LockKeys
{
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

// Asks the X server's keyboard indicators; all off where there is no X display.
LockKeys QueryLockKeys();
