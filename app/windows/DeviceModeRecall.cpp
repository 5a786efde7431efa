#include "DeviceModeRecall.h"

#include "ConnectionIndicator.h"
#include "EditSession.h"
#include "ParamDatabase.h"
#include "StepLabels.h"
#include "WindowParts.h"

namespace caraudio::app {

const char* RecallDeviceModeSettled(const CDeviceManager& manager, ParamDatabase& db, EditSession& session,
                                    int mode, QWidget* window) {
    if (!BoxConnected(manager, db)) return "Device not connected";
    EditSession::Scope step(session, mode < ParamDatabase::kUserSlotCount
                                         ? StepLabel("Recall USER-%1", {QString::number(mode + 1)})
                                         : StepLabel("Recall factory settings"));
    if (!db.RecallDeviceMode(mode)) return "Recall device mode failed";
    Settle(window, kRecallSettleMs);
    db.ClearLinks();
    if (!db.ReadImageOrDisconnect()) return "Recall device mode failed";
    return nullptr;
}

}  // namespace caraudio::app
