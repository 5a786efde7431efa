#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "EditSession.h"

namespace caraudio::app {

// A step's label as the session keeps it: the English pattern and its
// arguments apart, so the Undo and Redo tooltips name the step in the
// language of the moment, not the one it was made in.
std::string StepLabel(const char* pattern, const QStringList& args = {});
// A step of one channel (a block index): %1 is "CH3"; %2 the band, from 1.
std::string ChannelStep(const char* pattern, int channel, int band = -1);
// The label in the active language; a step made without a name is "Change".
QString StepText(const std::string& label);

// "A" or "B", and "Tuning A" or "Tuning B" in the active language.
QString SideLetter(EditSession::Side side);
QString TuningName(EditSession::Side side);
EditSession::Side OtherSide(EditSession::Side side);

// The tooltips of the Undo and Redo controls, from the session's labels.
QString UndoTip(bool can, const std::string& label);
QString RedoTip(bool can, const std::string& label);

}  // namespace caraudio::app
