#include "AboutDialog.h"

#include <QLabel>
#include <QPushButton>

#include "CommonDialog.h"
#include "Layouts.h"
#include "Translation.h"

namespace caraudio::app {

void RunAboutDialog(QWidget* owner) {
    CCommonDlg dialog("XML_ABOUT", owner);
    if (QWidget* layout = dialog.Layout()) {
        if (auto* version = Named<QLabel>(layout, "version"))
            version->setText(Tr("dlg_about", "Version") + " " + QStringLiteral(CARAUDIO_VERSION));
        if (auto* ok = Named<QPushButton>(layout, "btnOK")) {
            ok->setDefault(true);
            QObject::connect(ok, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(CCommonDlg::kOk); });
        }
    }
    dialog.exec();
}

}  // namespace caraudio::app
