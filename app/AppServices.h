#pragma once

// The program's shared services, each held for the whole run by its global shared pointer:
// gSystemConfig, gToolTipUtil, gCustomToolTip, gProductDataUtil, gBluetoothManager, gUsbHidUtil,
// gUsbCommunicateUtil, gKeyboardConfig.
class AppServices
{
public:
    // Creates the services in that order: later constructors use the earlier services (the
    // tooltip texts read the language of the settings, for one).
    static void create();
    // Releases them in the reverse order. Call it while the application object still exists: the
    // prompt window is a widget and the protocol owns the USB reader thread.
    static void release();
};
