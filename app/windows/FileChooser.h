#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace caraudio::app {

// The file choosers the dialogs open, behind one seam so tests can answer
// them. An empty answer means the user cancelled.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // A file to write, given the suffix when typed without one; asks before
    // replacing an existing file. With several filters (";;" between them),
    // `chosenFilter` receives the one the user saved under.
    virtual QString SaveFile(QWidget* owner, const QString& suggestedName, const QString& filter,
                             const QString& suffix, QString* chosenFilter = nullptr) = 0;
    // One or more files to read.
    virtual QStringList OpenFiles(QWidget* owner, const QString& title, const QString& filter) = 0;
};

// The toolkit's own choosers.
class QtFileChooser final : public FileChooser {
public:
    QString SaveFile(QWidget* owner, const QString& suggestedName, const QString& filter,
                     const QString& suffix, QString* chosenFilter = nullptr) override;
    QStringList OpenFiles(QWidget* owner, const QString& title, const QString& filter) override;
};

}  // namespace caraudio::app
