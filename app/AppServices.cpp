#include "app/AppServices.h"

#include "link/BluetoothManager.h"
#include "link/UsbHidUtil.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "model/ToolTipUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "storage/ProductDataUtil.h"
#include "widgets/CustomToolTip.h"

void AppServices::create()
{
    gSystemConfig.reset(new SystemConfigUtil);
    gToolTipUtil.reset(new ToolTipUtil);
    // The style sheet addresses the prompt window by this name.
    gCustomToolTip.reset(new CustomToolTip(QStringLiteral("CustomToolTip")));
    gProductDataUtil.reset(new ProductDataUtil);
    gBluetoothManager.reset(new BluetoothManager);
    gUsbHidUtil.reset(new UsbHidUtil);
    gUsbCommunicateUtil.reset(new UsbCommunicateUtil);
    gKeyboardConfig.reset(new KeyboardConfigUtil);
}

void AppServices::release()
{
    gKeyboardConfig.reset();
    gUsbCommunicateUtil.reset();
    gUsbHidUtil.reset();
    gBluetoothManager.reset();
    gProductDataUtil.reset();
    gCustomToolTip.reset();
    gToolTipUtil.reset();
    gSystemConfig.reset();
}
