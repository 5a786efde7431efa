#pragma once

#include <QDialog>

namespace caraudio::app {

// A modal dialog built from one layout of the program: frameless, moved by
// its title, closed by its `btn_close`. Its controller finds the controls.
class CCommonDlg : public QDialog {
    Q_OBJECT
public:
    CCommonDlg(const QString& layoutName, QWidget* parent = nullptr);

    // The loaded layout; null when the resource is missing.
    QWidget* Layout() const { return layout_; }

    // Results of the program's dialogs.
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;

private:
    QWidget* layout_ = nullptr;
};

}  // namespace caraudio::app
