#include "CommonDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "EditMenu.h"
#include "Layouts.h"
#include "Look.h"

namespace caraudio::app {

CCommonDlg::CCommonDlg(const QString& layoutName, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(layoutName);
    ApplyLook(this);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    layout_ = LoadLayout(layoutName, this);
    if (!layout_) return;
    box->addWidget(layout_);
    setFixedSize(layout_->size());
    PaintBackground(layout_, QColor(0x2c, 0x3d, 0x50));
    // A frameless dialog needs an edge of its own over the window behind it.
    layout_->setAttribute(Qt::WA_StyledBackground);
    layout_->setStyleSheet(
        QString("QWidget#%1 { background: #2c3d50; border: 1px solid #5b7591; }").arg(layoutName));
    // Enter in a field must not press a button the user did not mean: the
    // first button of a layout, which a dialog would make its default, is
    // its close button. A dialog that means a default button sets it.
    for (QPushButton* button : layout_->findChildren<QPushButton*>()) button->setAutoDefault(false);
    MakeDragHandle(Named<QLabel>(layout_, "title"));
    UseEditMenu(layout_);
    if (auto* close = Named<QPushButton>(layout_, "btn_close"))
        connect(close, &QPushButton::clicked, this, [this] { done(kCancel); });
}

}  // namespace caraudio::app
