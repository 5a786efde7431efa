#pragma once

#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "Arrival.h"
#include "CommonDialog.h"
#include "DelayProposal.h"

class QLabel;
class QPushButton;

namespace caraudio::app {

class FileChooser;
class Prompter;

// Channel delays from measured impulse responses (layout XML_ALIGN): a file
// per channel, read at once; the table shows each arrival, the delay that
// makes every channel arrive with the latest, and a hint where a channel's
// polarity looks inverted against the others. A file that does not look
// like an impulse response stays in its row, which says why, and keeps
// Apply off until it is cleared or replaced. Apply ends the dialog with
// kOk; Cancel, Escape or the close button change nothing.
class AlignDialog final : public CCommonDlg {
    Q_OBJECT
public:
    AlignDialog(FileChooser& files, Prompter& prompter, QWidget* parent);

    // The delays to apply, (block, raw), for the channels with a response;
    // empty unless they can be applied.
    std::vector<std::pair<int, int>> Delays() const;

protected:
    void changeEvent(QEvent* e) override;

private:
    struct Row {
        QLabel *path = nullptr, *arrival = nullptr, *delay = nullptr, *polarity = nullptr;
        QString file;
        std::optional<analysis::Arrival> found;  // Found, or why the file is refused
    };
    void Choose(int row);
    void Clear(int row);
    void ShowRows();
    // Delays for at least two channels, within what the box can delay, and
    // no refused file among the rows.
    bool Applicable() const;
    // The first row holding a file that is no impulse response, or -1.
    int RefusedRow() const;

    FileChooser& files_;
    Prompter& prompter_;
    std::array<Row, 6> rows_;  // CH1..CH6 as shown
    analysis::DelayProposal proposal_;
    std::vector<int> proposed_;  // the rows the proposal's delays are for
    QLabel* status_ = nullptr;
    QPushButton* apply_ = nullptr;
};

}  // namespace caraudio::app
