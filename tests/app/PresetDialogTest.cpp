// The preset dialogs against the built-in box: the box's slots, the scenes on
// this computer and scene files, as the user meets them.
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <tuple>

#include "AppRig.h"
#include "CommonDialog.h"
#include "HexBlock.h"
#include "PresetDialog.h"
#include "SceneFile.h"
#include "SceneStore.h"
#include "SkButtons.h"
#include "TextCodec.h"
#include "TextContrast.h"
#include "Translation.h"
#include "Utf16Text.h"
#include "ValueScales.h"

namespace caraudio::app::test {
namespace {

// One preset dialog, shown but not modal, with its controller.
struct PresetDialog {
    PresetDialog(const char* layout, const AppServices& services, std::function<void()> refresh)
        : dialog(layout) {
        handler = new CDlgSysSettingEventHandler(dialog, services, std::move(refresh));
        dialog.show();
    }
    template <typename T>
    T* Get(const char* name) {
        T* w = Named<T>(dialog.Layout(), name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QComboBox* Slots() { return Get<QComboBox>("combo_devmode"); }
    QComboBox* Scenes() { return Get<QComboBox>("combo_pcmode"); }
    QLineEdit* Name() { return Get<QLineEdit>("txt_input"); }
    void Press(const char* button) { Get<QPushButton>(button)->click(); }

    CCommonDlg dialog;
    CDlgSysSettingEventHandler* handler = nullptr;
};

class PresetTest : public AppRig {
protected:
    // The program in English, as the literal texts below are.
    void Start() {
        AppRig::Start();
        app->Language().Use(kEnglish);
    }
    std::unique_ptr<PresetDialog> Open(const char* layout) {
        return std::make_unique<PresetDialog>(layout, app->Services(), [this] {
            ++refreshes;
            Main().RefreshAll();
        });
    }
    static QString T(const char* text) { return Tr("messagebox", text); }
    QString DataFile(const QString& name) { return QDir(data.path()).filePath(name); }
    // The store as the settings file now holds it.
    storage::SceneList StoredScenes() {
        storage::Settings reread(
            QFileInfo(QString::fromStdString(app->Settings().Path())).path().toStdString());
        reread.Load();
        return storage::LoadSceneStore(reread.Document());
    }
    // A scene file holding the current image under `name`.
    QString WriteSceneFile(const QString& file, const char16_t* name) {
        const QString path = DataFile(file);
        EXPECT_TRUE(
            storage::ExportSceneFile(storage::SceneRecord::Make(name, Db().Block()), path.toStdString())
                .Ok());
        return path;
    }
    int refreshes = 0;
};

TEST_F(PresetTest, SavingIntoASlotOffersTheNextOneAndUser8WrapsToUser1) {
    Start();
    prompter.answer = Answer::Yes;
    Db().SetMainVolume(41);
    Db().Throttle().Flush();
    {
        auto d = Open("XML_DEVICE_PRESET");
        ASSERT_EQ(d->Slots()->count(), 9);
        EXPECT_EQ(d->Slots()->itemText(0), "USER-1");
        EXPECT_EQ(d->Slots()->itemText(8), "Factory settings");
        EXPECT_EQ(d->Slots()->currentIndex(), 0);  // program start
        EXPECT_FALSE(Named<QWidget>(d->dialog.Layout(), "ui_sending")->isVisible());
        d->Slots()->setCurrentIndex(2);
        d->Press("btnSave");
        EXPECT_EQ(Texts(), QStringList({T("Do you want to replace the selected device mode?"),
                                        T("Save successfully")}));
        EXPECT_EQ(Box().Firmware().Memory().user[2].Get(*FindParam(param::MainVol)), 41);
        EXPECT_EQ(d->Slots()->currentIndex(), 3);
    }
    {
        auto d = Open("XML_DEVICE_PRESET");
        EXPECT_EQ(d->Slots()->currentIndex(), 3);  // remembered while the program runs
        d->Slots()->setCurrentIndex(7);
        d->Press("btnSave");
        EXPECT_EQ(d->Slots()->currentIndex(), 0);
        EXPECT_EQ(Box().Firmware().Memory().user[7].Get(*FindParam(param::MainVol)), 41);
    }
    EXPECT_EQ(Open("XML_DEVICE_PRESET")->Slots()->currentIndex(), 0);
    // Answering No, or a box that refuses, stores nothing and keeps the slot.
    auto d = Open("XML_DEVICE_PRESET");
    d->Slots()->setCurrentIndex(4);
    Texts();
    prompter.answer = Answer::No;
    Box().Firmware().ClearRequests();
    d->Press("btnSave");
    EXPECT_EQ(Texts(), QStringList({T("Do you want to replace the selected device mode?")}));
    EXPECT_TRUE(Box().Firmware().Requests().empty());
    prompter.answer = Answer::Yes;
    Box().Firmware().WrongStatus(ParamDatabase::kTries);
    d->Press("btnSave");
    EXPECT_EQ(Texts().last(), T("Save failed"));
    EXPECT_EQ(d->Slots()->currentIndex(), 4);
    EXPECT_EQ(app->Services().devicePresetIndex, 0);
}

TEST_F(PresetTest, FactorySettingsCannotBeReplaced) {
    Start();
    auto d = Open("XML_DEVICE_PRESET");
    QPushButton* save = d->Get<QPushButton>("btnSave");
    EXPECT_TRUE(save->isEnabled());
    d->Slots()->setCurrentIndex(8);
    EXPECT_FALSE(save->isEnabled());
    EXPECT_GE(RenderedTextContrast(save), 4.5) << "dimmed, but still readable";
    d->Slots()->setCurrentIndex(2);
    EXPECT_TRUE(save->isEnabled());
    // Pressed anyway (by code, or a disabled button's shortcut), it is refused.
    d->Slots()->setCurrentIndex(8);
    d->handler->OnButton("btnSave");
    d->Slots()->setCurrentIndex(-1);
    d->handler->OnButton("btnSave");
    d->handler->OnButton("btnRecall");
    EXPECT_EQ(Texts(), QStringList({"Cannot replace the current selected scene!",
                                    T("A scene that does not choose to replace!"), T("Unselected scene!")}));
}

TEST_F(PresetTest, LoadingASlotClearsTheLinksReadsTheBoxAndRefreshesTheMainWindow) {
    Start();
    emulator::BoxMemory memory = Box().Firmware().Memory();
    memory.factory.Set(*FindParam(param::MainVol), 12);
    memory.user[5].Set(*FindParam(param::MainVol), 50);
    Box().Firmware().SetMemory(memory);
    for (const auto& [slot, level, text] : {std::tuple{8, 12, "-48dB"}, {5, 50, "-10dB"}}) {
        Db().LinkChannel(2, 2);
        Db().LinkChannel(3, 2);
        auto d = Open("XML_DEVICE_PRESET");
        d->Slots()->setCurrentIndex(slot);
        refreshes = 0;
        d->Press("btnRecall");
        EXPECT_TRUE(Texts().isEmpty()) << slot;
        EXPECT_EQ(Db().CurrentDeviceMode(), slot) << slot;
        EXPECT_EQ(Param(param::MainVol), level) << slot;
        EXPECT_EQ(Db().Block(), BoxImage()) << slot;
        for (int ch = 0; ch < 6; ++ch) EXPECT_FALSE(Db().IsLinked(ch)) << slot;
        EXPECT_EQ(refreshes, 1);
        EXPECT_EQ(Ctl<QLineEdit>(4000)->text(), text) << slot;
    }
    Box().Firmware().WrongStatus(ParamDatabase::kTries);
    auto d = Open("XML_DEVICE_PRESET");
    d->Press("btnRecall");
    EXPECT_EQ(Texts(), QStringList({T("Recall device mode failed")}));
}

TEST_F(PresetTest, ASlotThatCannotBeReadBackLeavesTheBoxDisconnected) {
    Start();
    emulator::BoxMemory memory = Box().Firmware().Memory();
    memory.user[4].SetByte(0, 0xFF);
    memory.user[4].SetByte(1, 0xFF);
    Box().Firmware().SetMemory(memory);
    auto d = Open("XML_DEVICE_PRESET");
    d->Slots()->setCurrentIndex(4);
    d->Press("btnRecall");
    EXPECT_EQ(Texts(), QStringList({T("Recall device mode failed")}));
    EXPECT_TRUE(d->dialog.isVisible());
    EXPECT_FALSE(Connected());
    EXPECT_EQ(refreshes, 1);
    widgets::SkCheckButton* indicator = Ctl<widgets::SkCheckButton>(1500);
    EXPECT_FALSE(indicator->isChecked());
    EXPECT_EQ(indicator->text(), Tr("mainWindow", "Not connect"));
    // Edits stay on the PC.
    Box().Firmware().ClearRequests();
    Type(Ctl<QLineEdit>(4000), "-30");
    EXPECT_EQ(Box().Firmware().RequestCount(0x9C), 0);
}

TEST_F(PresetTest, WithoutABoxEveryDeviceButtonSaysSoAndSendsNothing) {
    Start();
    Db().Disconnect();  // let go: the box stays open but is not spoken to
    ASSERT_FALSE(Connected());
    storage::SceneList list;
    ASSERT_EQ(storage::AddScene(list, u"Road", Db().Block(), app->Settings()).outcome,
              storage::AddSceneResult::Added);
    Box().Firmware().ClearRequests();
    prompter.answer = Answer::Yes;
    auto device = Open("XML_DEVICE_PRESET");
    device->Press("btnSave");
    device->Press("btnRecall");
    auto mine = Open("XML_MY_PRESET");
    const int stored = Param(param::MainVol);
    ASSERT_EQ(stored, 66);  // the emulated box's factory level
    Db().SetMainVolume(3);
    mine->Press("btnRecallPCMode");  // the scene still reaches the PC's image
    EXPECT_EQ(Texts(),
              QStringList({T("Device not connected"), T("Device not connected"), T("Device not connected")}));
    EXPECT_TRUE(Box().Firmware().Requests().empty());
    EXPECT_EQ(Param(param::MainVol), stored);
    EXPECT_EQ(Ctl<QLineEdit>(4000)->text(), "6dB");
}

TEST_F(PresetTest, ScenesAreAddedSelectedAndDeleted) {
    Start();
    auto d = Open("XML_MY_PRESET");
    EXPECT_EQ(d->Scenes()->count(), 0);
    EXPECT_EQ(d->Scenes()->currentIndex(), -1);
    d->Press("btnRecallPCMode");
    d->Press("btnDeletePCMode");
    d->Press("btnExport");
    EXPECT_EQ(Texts(), QStringList({T("Unselected scene!"), T("No selection of the scene to delete!"),
                                    T("Do not choose to come out of the scene!")}));
    EXPECT_TRUE(files.calls.empty());

    struct Case {
        QString typed;
        QString message;  // empty: added
        QString stored;
    };
    const Case cases[] = {
        {"  Bass  ", "", "Bass"},
        {"bASS", T("A scene with the same name already exists"), ""},
        {"   ", T("Name cannot be empty"), ""},
        {"Night drive", "", "Night drive"},
    };
    for (const Case& c : cases) {
        TypeOver(d->Name(), c.typed);
        d->Press("btnAddPCMode");
        EXPECT_EQ(Texts(), c.message.isEmpty() ? QStringList() : QStringList({c.message}))
            << c.typed.toStdString();
        if (!c.message.isEmpty()) continue;
        EXPECT_EQ(d->Scenes()->currentText(), c.stored);
        EXPECT_EQ(d->Name()->text(), c.stored);  // the selection fills the field
    }
    ASSERT_EQ(StoredScenes().size(), 2u);
    EXPECT_EQ(StoredScenes()[0].NameUtf8(), "Bass");

    d->Scenes()->setCurrentIndex(0);
    EXPECT_EQ(d->Name()->text(), "Bass");
    d->Press("btnDeletePCMode");  // answered No
    EXPECT_EQ(Texts(), QStringList({T("Whether you want to delete the selected scene?")}));
    EXPECT_EQ(StoredScenes().size(), 2u);
    prompter.answer = Answer::Yes;
    d->Press("btnDeletePCMode");
    EXPECT_EQ(d->Scenes()->count(), 1);
    EXPECT_EQ(d->Scenes()->currentIndex(), -1);
    EXPECT_TRUE(d->Name()->text().isEmpty());
    ASSERT_EQ(StoredScenes().size(), 1u);
    EXPECT_EQ(StoredScenes()[0].NameUtf8(), "Night drive");
    // A new opening lists the store and leaves the name field empty.
    auto again = Open("XML_MY_PRESET");
    EXPECT_EQ(again->Scenes()->currentText(), "Night drive");
    EXPECT_TRUE(again->Name()->text().isEmpty());
}

TEST_F(PresetTest, ImportCountsEveryFileOnceAndAsksAboutDuplicatesOnce) {
    Start();
    storage::SceneList list;
    storage::AddScene(list, u"Bass", Db().Block(), app->Settings());
    const QString good = WriteSceneFile("road.cae", u"Road");
    const QString dup1 = WriteSceneFile("dup1.cae", u"BASS");
    const QString dup2 = WriteSceneFile("dup2.cae", u"bass");
    // One digit missing from the value: the file is refused whole.
    QFile f(DataFile("damaged.cae"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[CAEConfig]\r\ndata=" + QByteArray(2589, '0') + "\r\n");
    f.close();
    const QString fifo = Place("fifo.cae", NotAFile::Fifo);  // refused unread: it would wait for a writer

    struct Case {
        Answer answer;
        int questions, imported;
        QString summary;
    };
    const Case cases[] = {
        {Answer::No, 1, 1,
         "1 scene files imported successfully.\n2 scene file reads failed:damaged.cae fifo.cae \n"
         "2 scenes have already existed：dup1.cae dup2.cae "},
        {Answer::Closed, 2, 1,  // a closed question stays unasked
         "1 scene files imported successfully.\n2 scene file reads failed:damaged.cae fifo.cae \n"
         "2 scenes have already existed：dup1.cae dup2.cae "},
        {Answer::Yes, 1, 3,
         "3 scene files imported successfully.\n2 scene file reads failed:damaged.cae fifo.cae \n"},
    };
    for (const Case& c : cases) {
        storage::SceneList keep = list;
        storage::SaveSceneStore(keep, app->Settings());
        auto d = Open("XML_MY_PRESET");
        files.calls.clear();
        files.openPaths = {good, dup1, DataFile("damaged.cae"), fifo, dup2};
        prompter.answer = c.answer;
        d->Press("btnImport");
        ASSERT_EQ(files.calls.size(), 1u);
        EXPECT_EQ(files.calls[0].text, "Please select one or more vehicle scene files");
        EXPECT_EQ(files.calls[0].filter, "Car audio effect file(*.cae)");
        const QStringList texts = Texts();
        ASSERT_EQ(texts.size(), c.questions + 1);
        for (int q = 0; q < c.questions; ++q)
            EXPECT_EQ(texts[q],
                      T("A scenario with the same name already exists,Do you want to continue importing?"));
        EXPECT_EQ(texts.last(), c.summary);
        EXPECT_EQ(d->Scenes()->count(), 1 + c.imported);
        EXPECT_EQ(static_cast<int>(StoredScenes().size()), 1 + c.imported);
        // Exactly one imported scene is selected; with more nothing changes.
        EXPECT_EQ(d->Scenes()->currentText(), c.imported == 1 ? "Road" : "Bass");
    }
    // Cancelled chooser: nothing happens.
    auto d = Open("XML_MY_PRESET");
    files.openPaths.clear();
    d->Press("btnImport");
    EXPECT_TRUE(Texts().isEmpty());
}

TEST_F(PresetTest, ChineseChooserTitleAndSummary) {
    AppRig::Start();  // Chinese, the language of a first start
    auto d = Open("XML_MY_PRESET");
    files.openPaths = {WriteSceneFile("one.cae", u"One")};
    d->Press("btnImport");
    ASSERT_EQ(files.calls.size(), 1u);
    EXPECT_EQ(files.calls[0].text, "请选择一个或多个车载场景文件");
    EXPECT_EQ(files.calls[0].filter, "车载场景文件(*.cae)");
    EXPECT_EQ(Texts(), QStringList({"1个场景文件导入成功。\n"}));
}

TEST_F(PresetTest, ExportDeleteImportAndRecallGiveTheSceneBack) {
    Start();
    prompter.answer = Answer::Yes;
    Db().SetMainVolume(22);
    Db().SetParam(param::Delay(3), 123);
    Db().Throttle().Flush();
    const EffectBlock tuned = Db().Block();
    auto d = Open("XML_MY_PRESET");
    d->Name()->setText("Trip");
    d->Press("btnAddPCMode");
    const QString path = DataFile("trip.cae");
    files.savePath = path;
    d->Press("btnExport");
    EXPECT_EQ(Texts(), QStringList({T("Exporting the scene successfully")}));
    ASSERT_EQ(files.calls.size(), 1u);
    EXPECT_EQ(files.calls[0].text, "Trip");  // the file name offered is the scene's
    EXPECT_EQ(files.calls[0].suffix, "cae");
    ASSERT_TRUE(storage::ReadSceneFile(path.toStdString()).has_value());

    d->Press("btnDeletePCMode");
    Texts();
    EXPECT_EQ(d->Scenes()->count(), 0);
    Db().SetMainVolume(60);
    Db().SetParam(param::Delay(3), 0);
    Db().Throttle().Flush();

    files.openPaths = {path};
    d->Press("btnImport");
    EXPECT_EQ(Texts(), QStringList({"1 scene files imported successfully.\n"}));
    EXPECT_EQ(d->Scenes()->currentText(), "Trip");
    Db().LinkChannel(0, 0);
    Db().LinkChannel(1, 0);
    refreshes = 0;
    d->Press("btnRecallPCMode");
    EXPECT_EQ(Texts(), QStringList({T("Call the computer scene successfully!")}));
    EXPECT_EQ(Db().Block(), tuned);
    EXPECT_EQ(BoxImage(), tuned);
    EXPECT_FALSE(Db().IsLinked(0));
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(Ctl<QLineEdit>(4000)->text(), "-38dB");

    // A file that cannot be written is reported, and a cancelled chooser says nothing.
    files.savePath = DataFile("missing/folder/trip.cae");
    d->Press("btnExport");
    files.savePath.clear();
    d->Press("btnExport");
    EXPECT_EQ(Texts(), QStringList({T("Failed to export effect to file")}));
}

// Scene files written elsewhere, and config.ini edited by hand, may hold
// values no control gives: such a scene is not imported, and one already
// in the store is neither loaded nor sent.
TEST_F(PresetTest, ScenesOutsideTheLimitsAreNeitherImportedNorLoaded) {
    Start();
    EffectBlock loud = DefaultEffectBlock();
    loud.Set(*FindParam(param::MainVol), 153);
    loud.Set(*FindParam(param::BandGain(2, 4)), 23472);
    std::array<uint8_t, storage::SceneRecord::kSize> record{};
    record[0] = 'L';
    std::copy(loud.data(), loud.data() + kEffectBlockSize, record.end() - kEffectBlockSize);
    QFile f(DataFile("loud.cae"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[CAEConfig]\r\ndata=" +
            QByteArray::fromStdString(storage::EncodeProfileStruct(record.data(), record.size())) + "\r\n");
    f.close();
    auto d = Open("XML_MY_PRESET");
    files.openPaths = {DataFile("loud.cae")};
    d->Press("btnImport");
    EXPECT_EQ(Texts(),
              QStringList({"0 scene files imported successfully.\n1 scene files hold values outside "
                           "what the box may be given (allowed in brackets) and were not imported: "
                           "loud.cae (MainVol = 153 (0..66), Box2_EQ4_Gain = 23472 (-2000..2000)) \n"}));
    EXPECT_EQ(d->Scenes()->count(), 0);
    EXPECT_TRUE(StoredScenes().empty());

    storage::SaveSceneStore({storage::SceneRecord::Make(u"Edited", loud)}, app->Settings());
    d = Open("XML_MY_PRESET");
    d->Scenes()->setCurrentIndex(0);
    const EffectBlock pc = Db().Block(), box = BoxImage();
    d->Press("btnRecallPCMode");
    EXPECT_EQ(Texts(), QStringList({T("The scene holds values outside what the box may be given (allowed in "
                                      "brackets), so it was neither loaded nor sent:") +
                                    "\nMainVol = 153 (0..66), Box2_EQ4_Gain = 23472 (-2000..2000)"}));
    EXPECT_EQ(Db().Block(), pc);
    EXPECT_EQ(BoxImage(), box);
    EXPECT_FALSE(app->Session().CanUndo());
}

TEST_F(PresetTest, ASettingsFileThatCannotBeWrittenIsTold) {
    Start();
    // The settings file's place taken by a folder: nothing can be written there.
    const QString ini = QString::fromStdString(app->Settings().Path());
    QFile::remove(ini);
    ASSERT_TRUE(QDir().mkpath(ini));
    auto d = Open("XML_MY_PRESET");
    d->Name()->setText("Kept");
    d->Press("btnAddPCMode");
    const QStringList texts = Texts();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].startsWith("The settings file could not be written"));
    EXPECT_EQ(d->Scenes()->currentText(), "Kept");  // the dialog keeps it meanwhile
    QDir(ini).removeRecursively();
}

// Enter after a name is what a user does to save it; the dialog stays open
// for the next step, and an empty name is answered as "Save" answers it.
TEST_F(PresetTest, EnterInTheNameFieldSavesTheScene) {
    Start();
    auto d = Open("XML_MY_PRESET");
    TypeAndEnter(d->Name(), "Road trip");
    EXPECT_TRUE(d->dialog.isVisible());
    EXPECT_TRUE(Texts().isEmpty());
    EXPECT_EQ(d->Scenes()->currentText(), "Road trip");
    ASSERT_EQ(StoredScenes().size(), 1u);
    EXPECT_EQ(StoredScenes()[0].NameUtf8(), "Road trip");
    TypeAndEnter(d->Name(), "  ");
    EXPECT_TRUE(d->dialog.isVisible());
    EXPECT_EQ(Texts(), QStringList({T("Name cannot be empty")}));
    EXPECT_EQ(StoredScenes().size(), 1u);
}

// Scene files as a Windows editor saves them, in UTF-16 with a byte-order
// mark, import as any other.
TEST_F(PresetTest, SceneFilesSavedAsUtf16Import) {
    Start();
    auto d = Open("XML_MY_PRESET");
    QStringList paths;
    for (const auto& [file, name, bigEndian] :
         {std::tuple{"little.cae", u"Little", false}, std::tuple{"big.cae", u"Big", true}}) {
        const QString path = WriteSceneFile(file, name);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray text = "; saved by a Windows editor\r\n" + f.readAll();
        f.close();
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray::fromStdString(caraudio::test::Utf16WithMark(text.toStdString(), bigEndian)));
        f.close();
        paths << path;
    }
    files.openPaths = paths;
    d->Press("btnImport");
    EXPECT_EQ(Texts(), QStringList({"2 scene files imported successfully.\n"}));
    ASSERT_EQ(d->Scenes()->count(), 2);
    EXPECT_EQ(d->Scenes()->itemText(0), "Little");
    EXPECT_EQ(d->Scenes()->itemText(1), "Big");
}

// Several files imported into an empty list leave it without selection; an
// imported name longer than a typed one may be shows whole when chosen.
TEST_F(PresetTest, ImportedScenesAreSelectedOnlyAloneAndShownWhole) {
    Start();
    const char16_t* names[] = {u"Twenty-five letters long!", u"A name of thirty-one characters"};
    auto d = Open("XML_MY_PRESET");
    files.openPaths = {WriteSceneFile("a.cae", names[0]), WriteSceneFile("b.cae", names[1])};
    d->Press("btnImport");
    Texts();
    ASSERT_EQ(d->Scenes()->count(), 2);
    EXPECT_EQ(d->Scenes()->currentIndex(), -1);
    EXPECT_TRUE(d->Name()->text().isEmpty());
    for (int i = 0; i < 2; ++i) {
        d->Scenes()->setCurrentIndex(i);
        EXPECT_EQ(d->Name()->text(), QString::fromStdU16String(names[i]));
    }
    // One more file: that one is selected.
    files.openPaths = {WriteSceneFile("c.cae", u"Third")};
    d->Scenes()->setCurrentIndex(-1);
    d->Press("btnImport");
    EXPECT_EQ(d->Scenes()->currentText(), "Third");
    EXPECT_EQ(d->Name()->text(), "Third");
}

// Typing and pasting stop at 20 units, between characters.
TEST_F(PresetTest, TheNameFieldStopsAt20UnitsBetweenCharacters) {
    Start();
    auto d = Open("XML_MY_PRESET");
    QLineEdit* field = d->Name();
    const QString grin = QString::fromUtf8("\xF0\x9F\x98\x80");  // two units
    const QString flag = QString::fromUtf8("\xF0\x9F\x87\xA8\xF0\x9F\x87\xB3");
    auto typeText = [&](const QString& text) {
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, text, {});
    };
    auto paste = [&](const QString& text) {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    };
    struct Case {
        const char* what;
        std::function<void()> enter;
        QString shown;
    };
    const Case cases[] = {
        {"25 letters typed", [&] { QTest::keyClicks(field, "abcdefghijklmnopqrstuvwxy"); },
         "abcdefghijklmnopqrst"},
        {"a pair typed at unit 20",
         [&] {
             QTest::keyClicks(field, QString(19, 'a'));
             typeText(grin);
         },
         QString(19, 'a')},
        {"a pair pasted up to unit 20", [&] { paste(QString(18, 'b') + grin + "zz"); },
         QString(18, 'b') + grin},
        {"a flag pasted across unit 20", [&] { paste(QString(17, 'c') + flag); }, QString(17, 'c')},
    };
    for (const Case& c : cases) {
        TypeOver(field, "");
        QTest::keyClick(field, Qt::Key_Delete);
        c.enter();
        EXPECT_EQ(field->text(), c.shown) << c.what;
    }
    // A longer name shown from the store may be changed, not lengthened.
    files.openPaths = {WriteSceneFile("long.cae", u"A name of thirty-one characters")};
    d->Press("btnImport");
    ASSERT_EQ(field->text(), "A name of thirty-one characters");
    field->setFocus();
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClicks(field, "x");
    EXPECT_EQ(field->text(), "A name of thirty-one characters");
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, "S!");
    EXPECT_EQ(field->text(), "A name of thirty-one characterS");
}

TEST(QtFileChooser, GivesTheSuffixAndTellsACancel) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QtFileChooser chooser;
    const QString filter = "Car audio effect file(*.cae)";
    OnNextModal([&](QWidget* modal) {
        auto* d = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->nameFilters(), QStringList({filter}));
        EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
        d->setDirectory(dir.path());
        d->selectFile("Trip");
        static_cast<QDialog*>(d)->accept();  // as the dialog's own button does
    });
    EXPECT_EQ(chooser.SaveFile(nullptr, "Trip", filter, "cae"), QDir(dir.path()).filePath("Trip.cae"));

    // Of two filters for the same suffix, the caller learns the one chosen.
    const QStringList formats = {"REW filter settings (*.txt)", "Equalizer APO configuration (*.txt)"};
    OnNextModal([&](QWidget* modal) {
        auto* d = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->nameFilters(), formats);
        d->setDirectory(dir.path());
        d->selectNameFilter(formats[1]);
        d->selectFile("CH2");
        static_cast<QDialog*>(d)->accept();
    });
    QString chosen;
    EXPECT_EQ(chooser.SaveFile(nullptr, "CH2", formats.join(";;"), "txt", &chosen),
              QDir(dir.path()).filePath("CH2.txt"));
    EXPECT_EQ(chosen, formats[1]);

    OnNextModal([&](QWidget* modal) {
        auto* d = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->windowTitle(), "Please select");
        EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(d->nameFilters(), QStringList({filter}));
        modal->close();
    });
    EXPECT_TRUE(chooser.OpenFiles(nullptr, "Please select", filter).isEmpty());
}

}  // namespace
}  // namespace caraudio::app::test
