#include "ConnectionIndicator.h"

#include <QAbstractButton>

#include "BoxTuningOnConnect.h"
#include "DeviceManager.h"
#include "EditSession.h"
#include "ParamDatabase.h"
#include "Prompter.h"
#include "Translation.h"
#include "WindowParts.h"

namespace caraudio::app {

bool BoxConnected(const CDeviceManager& manager, const ParamDatabase& db) {
    return manager.IsOpen() && db.IsConnected();
}

void ShowConnectionState(QAbstractButton* indicator, bool connected) {
    if (!indicator) return;
    indicator->setText(connected ? Tr("mainWindow", "Connected") : Tr("mainWindow", "Not connect"));
    QPalette p = indicator->palette();
    p.setColor(QPalette::ButtonText, connected ? QColor(0x00, 0xaa, 0x00) : QColor(0xff, 0x00, 0x00));
    // A dark face in both states, so the green and the red stay readable.
    for (QPalette::ColorRole role : {QPalette::Button, QPalette::Highlight})
        p.setColor(role, QColor(0x12, 0x1a, 0x22));
    indicator->setPalette(p);
    CheckQuietly(indicator, connected);
}

bool ToggleConnection(ParamDatabase& db, EditSession& session, bool connected, Prompter& prompter) {
    if (connected) {
        db.Disconnect();
        return false;
    }
    switch (db.Connect()) {
    case ConnectStatus::Connected:
        if (db.ReadImageOnConnect() != ParamDatabase::ConnectImage::Failed) {
            SettleTuningWithBox(db, session, prompter, nullptr);
            return db.IsConnected();
        }
        break;  // a box whose image cannot be read is a failed connection
    case ConnectStatus::NoBoxFound:
    case ConnectStatus::HandshakeRefused:
        prompter.Inform(nullptr, Tr("messagebox", "No device detected!"), Tr("messagebox", "Prompt"));
        return false;
    default:
        break;
    }
    prompter.Inform(nullptr, Tr("messagebox", "Fail to connect device!"), Tr("messagebox", "Prompt"));
    return false;
}

}  // namespace caraudio::app
