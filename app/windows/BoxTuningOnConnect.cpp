#include "BoxTuningOnConnect.h"

#include "EditSession.h"
#include "ParamDatabase.h"
#include "Prompter.h"
#include "StepLabels.h"
#include "Translation.h"

namespace caraudio::app {

void SettleTuningWithBox(ParamDatabase& db, EditSession& session, Prompter& prompter, QWidget* owner) {
    if (db.LastConnectImage() == ParamDatabase::ConnectImage::Taken) {
        // The box's image is where undo starts, never a step to take back into it.
        session.StartAfresh();
        return;
    }
    if (!db.BoxDiffers()) return;
    const EditSession::Side side = session.CurrentSide();
    const Answer answer = prompter.Choose(
        owner,
        Tr("messagebox",
           "The box plays a different tuning from %1 shown here.\n\nSend %1 to the box, or take the box's "
           "tuning into %1? After taking, Undo brings %1 back. %2 stays as it is.")
            .arg(TuningName(side), TuningName(OtherSide(side))),
        Tr("messagebox", "Prompt"), Tr("messagebox", "Send to the box"),
        Tr("messagebox", "Take the box's tuning"));
    if (answer == Answer::Yes) {
        if (!db.SendShownTuning())
            prompter.Inform(owner, Tr("messagebox", "Fail to connect device!"), Tr("messagebox", "Prompt"));
        return;
    }
    EditSession::Scope step(session, StepLabel("Tuning from the box"));
    db.TakeBoxTuning();
}

}  // namespace caraudio::app
