#pragma once

#include <QObject>

class QLabel;
class QLineEdit;

namespace caraudio::app {

class CCommonDlg;

// The password the advanced login asks for: fixed, compared as typed.
inline constexpr const char* kAdvancedPassword = "73058214";

// The controller of the "Advanced Login" dialog (layout XML_ADVANCED_LOGIN):
// OK ends it with CCommonDlg::kOk only for the right password; a wrong or
// empty one is answered in the dialog, which stays open.
class CDlgLoginEventHandler final : public QObject {
    Q_OBJECT
public:
    explicit CDlgLoginEventHandler(CCommonDlg& dialog);

    void OnOk();

private:
    void Refuse(const char* message);

    CCommonDlg& dialog_;
    QLineEdit* password_ = nullptr;
    QLabel* message_ = nullptr;
};

// Runs the login modally over `owner`; true after the right password.
bool RunAdvancedLogin(QWidget* owner);

}  // namespace caraudio::app
