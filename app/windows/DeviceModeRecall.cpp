#include "DeviceModeRecall.h"

#include "ConnectionIndicator.h"
#include "ParamDatabase.h"
#include "WindowParts.h"

namespace caraudio::app {

const char* RecallDeviceModeSettled(const CDeviceManager& manager, ParamDatabase& db, int mode,
                                    QWidget* window) {
    if (!BoxConnected(manager, db)) return "Device not connected";
    if (!db.RecallDeviceMode(mode)) return "Recall device mode failed";
    Settle(window, kRecallSettleMs);
    db.ClearLinks();
    if (!db.ReadImageOrDisconnect()) return "Recall device mode failed";
    return nullptr;
}

}  // namespace caraudio::app
