// Filter files through the File menu, against the built-in box: a
// measurement program's filter set imported into the selected channel, and
// the channel's bands exported and read back, as a user does it.
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <complex>

#include "AppRig.h"
#include "ChannelCurves.h"
#include "SEdit2.h"
#include "SkButtons.h"
#include "Textbook.h"
#include "ValueScales.h"

namespace caraudio::app::test {
namespace {

using widgets::SEdit2;
using widgets::SkCheckButton;

constexpr int kCh2 = 3, kCh3 = 4;  // block indexes of CH2 and CH3

// One peaking line of the test file, as written (decimal commas where the
// writer's locale puts them), and what the box holds for it: whole Hz,
// hundredths of a dB, and three times the cookbook Q in hundredths.
struct PkLine {
    const char *fc, *gain, *q;
    bool on;
    int freqRaw, gainRaw, qRaw;
};
const PkLine kLines[] = {
    {"30,80", "2,25", "1,000", true, 31, 225, 300},  {"3155", "-6,50", "4,000", true, 3155, -650, 1200},
    {"120", "-2,00", "2,000", false, 0, 0, 0},       {"61,9", "3,10", "0,700", true, 62, 310, 210},
    {"274", "-4,75", "1,500", true, 274, -475, 450}, {"25000", "-4,00", "2,000", true, 20000, -400, 600},
    {"48,5", "1,20", "0,900", true, 49, 120, 270},   {"95", "-3,30", "3,000", true, 95, -330, 900},
    {"150", "2,00", "1,100", true, 150, 200, 330},   {"210", "-1,50", "2,500", true, 210, -150, 750},
    {"380", "0,80", "1,800", true, 380, 80, 540},    {"520", "-2,40", "2,200", true, 520, -240, 660},
    {"760", "1,60", "1,300", true, 760, 160, 390},   {"1040", "-3,90", "3,500", true, 1040, -390, 1050},
    {"1500", "2,70", "0,600", true, 1500, 270, 180}, {"2200", "-1,10", "1,700", true, 2200, -110, 510},
    {"4600", "3,40", "2,800", true, 4600, 340, 840}, {"6300", "-5,20", "5,000", true, 6300, -520, 1500},
    {"9800", "1,90", "1,200", true, 9800, 190, 360}, {"14000", "-2,60", "0,800", true, 14000, -260, 240},
};
constexpr int kOnLines = 19;

// REW filter settings in a decimal-comma locale: the 20 peaking lines in the
// order above, a notch after the first five (file line 16), and empty
// slots up to 24. Filter n is on file line 9 + n: the OFF one on line 12,
// the notch on 15, the 25000 Hz one on 16. (FilterFileShelvesTest imports
// shelves.)
QByteArray RewFile() {
    QByteArray text =
        "Filter Settings file\r\n\r\nRoom EQ V5.31.3\r\nDated: 08.01.2025 11:32:39\r\n\r\nNotes:\r\n\r\n"
        "Equaliser: Generic\r\nRMS Average\r\n";
    int n = 1;
    for (const PkLine& l : kLines) {
        if (n == 6) text += "Filter  6: ON  NO       Fc   80,00 Hz\r\n", ++n;
        text += QString("Filter %1: %2 PK       Fc %3 Hz  Gain %4 dB  Q %5\r\n")
                    .arg(n++, 2)
                    .arg(l.on ? "ON " : "OFF")
                    .arg(l.fc, 7)
                    .arg(l.gain, 6)
                    .arg(l.q, 6)
                    .toUtf8();
    }
    while (n <= 24) text += QString("Filter %1: ON  None\r\n").arg(n++, 2).toUtf8();
    return text;
}

class FilterFilesTest : public AppRig {
protected:
    void Start() {
        AppRig::Start();
        app->Language().Use(kEnglish);
    }
    void Import(const QString& path) {
        files.openPaths = {path};
        FileMenu("Import filters...");
        Settle();
    }
    // CH2 selected and CH3 linked to it, as a user sets them up.
    void SelectCh2LinkedWithCh3() {
        Click(Ctl<SkCheckButton>(1103));
        Click(Ctl<SkCheckButton>(1104));
        ASSERT_EQ(Db().SelectedChannel(), kCh2);
        ASSERT_TRUE(Db().EditReaches(kCh2, kCh3));
    }
    struct Band {
        int freq, q, gain;
        bool operator==(const Band&) const = default;
    };
    static std::vector<Band> Bands(const EffectBlock& image, int ch) {
        std::vector<Band> out;
        for (int b = 0; b < kBandCount; ++b)
            out.push_back({image.Get(*FindParam(param::BandFreq(ch, b))),
                           image.Get(*FindParam(param::BandQ(ch, b))),
                           static_cast<int16_t>(image.Get(*FindParam(param::BandGain(ch, b))))});
        return out;
    }
    EffectBlock SentImage() {
        Db().Throttle().Flush();
        return BoxImage();
    }
};

TEST_F(FilterFilesTest, FileMenuOffersTheFilterFilesInBothLanguages) {
    AppRig::Start();
    for (const auto& [language, items] :
         {std::pair{kEnglish, QStringList{"My Preset", "Import filters...", "Export filters...",
                                          "Measurement...", "Exit"}},
          {kChinese, QStringList{"我的场景", "导入滤波器...", "导出滤波器...", "测量曲线...", "退出"}}}) {
        app->Language().Use(language);
        QStringList offered;
        for (const CMainDlg::MenuItem& item : Main().MenuItems(9003)) offered << item.text;
        EXPECT_EQ(offered, items);
    }
}

TEST_F(FilterFilesTest, RewFileBecomesTheBandsOfTheSelectedChannelAndItsLinkGroup) {
    Start();
    SelectCh2LinkedWithCh3();
    const std::vector<Band> before = Bands(Db().Block(), kCh2);
    Import(Write("auto-eq.txt", RewFile()));
    ASSERT_EQ(files.calls.size(), 1u);
    EXPECT_EQ(files.calls[0].filter, "Text files (*.txt);;All files (*)");

    // Bands 1..19 hold the ON filters in ascending frequency; the rest are
    // flat and keep their frequency and Q.
    std::vector<PkLine> on;
    std::copy_if(std::begin(kLines), std::end(kLines), std::back_inserter(on),
                 [](const PkLine& l) { return l.on; });
    std::sort(on.begin(), on.end(), [](const PkLine& a, const PkLine& b) { return a.freqRaw < b.freqRaw; });
    ASSERT_EQ(on.size(), size_t{kOnLines});
    std::vector<Band> expected = before;
    for (int b = 0; b < kBandCount; ++b) expected[size_t(b)].gain = 0;
    for (int b = 0; b < kOnLines; ++b)
        expected[size_t(b)] = {on[size_t(b)].freqRaw, on[size_t(b)].qRaw, on[size_t(b)].gainRaw};
    EXPECT_EQ(Bands(Db().Block(), kCh2), expected);
    EXPECT_EQ(Bands(Db().Block(), kCh3), expected) << "the linked channel follows";
    const EffectBlock sent = SentImage();
    EXPECT_EQ(Bands(sent, kCh2), expected) << "the box holds them";
    EXPECT_EQ(Bands(sent, kCh3), expected);

    // What the window shows: the fields (gain to 0.1 dB) and the curve.
    for (int b = 0; b < kBandCount; ++b) {
        const Band& e = expected[size_t(b)];
        EXPECT_EQ(Ctl<SEdit2>(5000 + b)->text(), QString::number(e.freq)) << b;
        EXPECT_EQ(Ctl<SEdit2>(5100 + b)->text().toDouble(), e.q / 100.0) << b;
        EXPECT_NEAR(Ctl<SEdit2>(5200 + b)->text().toDouble(), e.gain / 100.0, 0.051) << b;
        EXPECT_FALSE(Ctl<SkCheckButton>(1000 + b)->isChecked() && e.gain != 0) << b;
    }
    auto* curves = dynamic_cast<ChannelCurves*>(Db().Curves());
    ASSERT_NE(curves, nullptr);
    for (const int ch : {kCh2, kCh3}) {
        const EqCurveModel& model = curves->Model(ch);
        double worst = 0;
        for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
            const double hz = model.Grid().Hz(i);
            if (hz < 20 || hz > 20000) continue;
            double file = 0;
            for (const PkLine& l : on)
                file += caraudio::test::TextbookPeakingDb(l.freqRaw, l.gainRaw / 100.0, l.qRaw / 300.0, hz);
            worst = std::max(worst, std::abs(model.Curve1()[size_t(i)] - file));
        }
        EXPECT_LT(worst, 0.1) << "channel " << ch;
    }

    // One report: the count, the notch and OFF line left out, the clamp.
    const QStringList texts = Texts();
    ASSERT_EQ(texts.size(), 1);
    const QString& report = texts[0];
    for (const char* part :
         {"Bands imported into CH2: 19.", "Linked channels follow: CH3.", "Not imported:",
          "Line 12: Filter 3: OFF PK Fc 120 Hz Gain -2,00 dB Q 2,000 (switched off in the file)",
          "Line 15: Filter 6: ON NO Fc 80,00 Hz (the box has no such filter)",
          "Changed to what the box can hold:",
          "Line 16: Filter 7: ON PK Fc 25000 Hz Gain -4,00 dB Q 2,000 "
          "(frequency 25000 Hz held as 20000 Hz)"})
        EXPECT_TRUE(report.contains(part)) << part << "\nin:\n" << report.toStdString();
    EXPECT_FALSE(report.contains("Preamp"));
}

// An Equalizer APO configuration with a preamp for every channel and a
// section for each seat.
constexpr char kSeats[] =
    "# two seats\n"
    "Preamp: -6.5 dB\n"
    "Channel: L\n"
    "Filter 1: ON PK Fc 50 Hz Gain -3.0 dB Q 1.00\n"
    "Channel: R\n"
    "Filter 1: ON PK Fc 100 Hz Gain 2.0 dB Q 2.00\n"
    "Filter 2: ON HP Fc 30 Hz\n";

TEST_F(FilterFilesTest, SectionsArePickedFromAListAndThePreampIsAskedFor) {
    Start();
    Click(Ctl<SkCheckButton>(1603));  // the speaker of CH2
    ASSERT_EQ(Db().SelectedChannel(), kCh2);
    const QString path = Write("seats.txt", kSeats);
    const EffectBlock before = Db().Block();
    const EffectBlock sentBefore = SentImage();
    QStringList listed;
    auto answer = [&](int row, const char* button) {
        OnNextModal([&listed, row, button](QWidget* dialog) {
            auto* list = dialog->findChild<QListWidget*>("sections");
            ASSERT_NE(list, nullptr);
            listed.clear();
            for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text();
            list->setCurrentRow(row);
            dialog->findChild<QPushButton*>(button)->click();
        });
    };
    // Cancelled: nothing asked, nothing changed.
    answer(1, "btnCancel");
    Import(path);
    EXPECT_EQ(listed, (QStringList{"L", "R"}));
    EXPECT_TRUE(Texts().isEmpty());
    EXPECT_EQ(Db().Block(), before);
    EXPECT_EQ(SentImage(), sentBefore);

    // "R" chosen and its preamp applied.
    const int level = Param(param::Volume(kCh2));
    answer(1, "btnOK");
    prompter.answer = Answer::Yes;
    Import(path);
    EXPECT_EQ(listed, (QStringList{"L", "R"}));
    const QStringList texts = Texts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0], "The file sets a preamp of -6.5 dB. Change the level of CH2 by it (in whole dB)?");
    EXPECT_EQ(Bands(Db().Block(), kCh2)[0], (Band{100, 600, 200}));
    EXPECT_EQ(Bands(Db().Block(), kCh2)[1].gain, 0);
    EXPECT_EQ(Param(param::HighPassFreq(kCh2)), 30);
    EXPECT_EQ(Param(param::Volume(kCh2)), level - 7) << "whole dB, toward the lower level";
    EXPECT_EQ(Ctl<SEdit2>(4002)->text(), "30Hz");
    EXPECT_EQ(Ctl<SEdit2>(5000)->text(), "100");
    EXPECT_EQ(Ctl<SEdit2>(6003)->text(), QString("%1dB").arg(level - 7 - 60));
    EXPECT_EQ(SentImage(), Db().Block());
    for (const char* part : {"Bands imported into CH2: 1.",
                             "High-pass (line 7): ", "Preamp -6.5 dB: applied, the level changed by -7 dB."})
        EXPECT_TRUE(texts[1].contains(part)) << part << "\nin:\n" << texts[1].toStdString();

    // "L" without its preamp: the level stays.
    answer(0, "btnOK");
    prompter.answer = Answer::No;
    Import(path);
    EXPECT_EQ(Bands(Db().Block(), kCh2)[0], (Band{50, 300, -300}));
    EXPECT_EQ(Param(param::Volume(kCh2)), level - 7);
    EXPECT_TRUE(Texts().last().contains("Preamp -6.5 dB: not applied."));
}

TEST_F(FilterFilesTest, RefusedFilesAreNamedWithTheirFirstBadLineAndChangeNothing) {
    Start();
    QByteArray tooMany;
    for (int n = 1; n <= 32; ++n)
        tooMany += QString("Filter %1: ON PK Fc %2 Hz Gain 1 dB Q 1\n").arg(n).arg(40 * n).toUtf8();
    const struct {
        const char* file;
        QByteArray content;
        const char* told;
        std::optional<NotAFile> special = std::nullopt;
    } cases[] = {
        {"words.txt", "Shopping list\nmilk\n",
         "The file holds no filters. The first line that is not a filter:\nLine 1: Shopping list"},
        {"broken.txt", "Filter 1: ON PK Fc 50 Hz Gain -3 dB Q 1\n<b>not a filter</b>\n",
         "The first line that could not be read:\nLine 2: <b>not a filter</b>"},
        {"blank.txt", " \r\n\t\r\n", "The file is empty:"},
        {"too-many.txt", tooMany,
         "The file has 32 peaking filters, but a channel has only 31 bands. Nothing was changed."},
        {"huge.txt", QByteArray(1 << 20, 'x') + "\n", "The file is too large for a filter set:"},
        {"only-notches.txt", "Filter 1: ON NO Fc 80 Hz\n", "The file holds no filter the box can take."},
        {"", {}, "The file could not be read:"},
        {"fifo.txt", {}, "It is not a regular file (a FIFO).", NotAFile::Fifo},
        {"dev-zero.txt", {}, "It is not a regular file (a device).", NotAFile::Zero},
    };
    Type(Ctl<SEdit2>(5203), "4.5");  // something of the user's own in the channel
    const EffectBlock before = Db().Block();
    const EffectBlock sentBefore = SentImage();
    for (const auto& c : cases) {
        const QString path = c.special ? Place(c.file, *c.special)
                             : *c.file ? Write(c.file, c.content)
                                       : QDir(data.path()).filePath("gone.txt");
        Box().Firmware().ClearRequests();
        Import(path);
        const QStringList texts = Texts();
        ASSERT_EQ(texts.size(), 1) << c.file;
        EXPECT_TRUE(texts[0].contains(c.told)) << c.file << ": " << texts[0].toStdString();
        EXPECT_EQ(Db().Block(), before) << c.file;
        EXPECT_EQ(SentImage(), sentBefore) << c.file;
        EXPECT_EQ(Box().Firmware().RequestCount(0x9C), 0) << c.file;
        EXPECT_EQ(Ctl<SEdit2>(5203)->text(), "4.5") << c.file;
    }
}

TEST_F(FilterFilesTest, ExportedFiltersImportAgainAsTheSameBands) {
    Start();
    Click(Ctl<SkCheckButton>(1603));
    Import(Write("auto-eq.txt", RewFile()));
    const std::vector<Band> imported = Bands(Db().Block(), kCh2);
    Texts();
    const struct {
        int filterIndex;
        const char* file;
        const char* startsWith;
    } formats[] = {{0, "rew.txt", "Filter Settings file"}, {1, "apo.txt", "# CH2"}};
    for (const auto& f : formats) {
        files.savePath = QDir(data.path()).filePath(f.file);
        files.saveFilterIndex = f.filterIndex;
        FileMenu("Export filters...");
        ASSERT_FALSE(files.calls.empty());
        EXPECT_EQ(files.calls.back().text, "CH2-filters.txt");
        EXPECT_EQ(files.calls.back().filter,
                  "REW filter settings (*.txt);;Equalizer APO configuration (*.txt)");
        EXPECT_EQ(Texts(), QStringList{"Filters exported:\n" + files.savePath});
        QFile written(files.savePath);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        const QByteArray text = written.readAll();
        EXPECT_TRUE(text.startsWith(f.startsWith)) << text.toStdString();
        EXPECT_EQ(text.count("PK"), kOnLines) << text.toStdString();

        Click(Ctl<QPushButton>(9001));  // reset EQ
        ASSERT_NE(Bands(Db().Block(), kCh2), imported);
        Import(files.savePath);
        EXPECT_EQ(Bands(Db().Block(), kCh2), imported) << f.file;
        EXPECT_EQ(Bands(SentImage(), kCh2), imported) << f.file;
        const QStringList texts = Texts();
        ASSERT_EQ(texts.size(), 1);
        EXPECT_TRUE(texts[0].startsWith("Bands imported into CH2: 19.")) << texts[0].toStdString();
        EXPECT_FALSE(texts[0].contains("Line ")) << "nothing skipped or clamped: " << texts[0].toStdString();
    }
    // A folder that is not there: told, nothing written.
    files.savePath = QDir(data.path()).filePath("no-such-folder/ch2.txt");
    FileMenu("Export filters...");
    EXPECT_EQ(Texts(), QStringList{"The filter file could not be written:\n" + files.savePath});
}

// UTF-16 with a byte-order mark, as Windows programs save text.
QByteArray Utf16Le(const QString& text) {
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) bytes += char(c.unicode() & 0xFF), bytes += char(c.unicode() >> 8);
    return bytes;
}

TEST_F(FilterFilesTest, FilesFromOtherLocalesEncodingsAndConfigurationsImport) {
    Start();
    Click(Ctl<SkCheckButton>(1603));
    // REW in a decimal-comma locale, saved as UTF-16: a no-break space groups
    // 1 066 Hz, a dot 8.000 Hz.
    const QString norwegian = QString::fromUtf8(
        "Filter Settings file\r\n\r\nRoom EQ V5,01\r\nDated: 8. jan. 2025 kl. 11:32:39\r\n\r\n"
        "Notes: Måling i stua\r\n\r\nEqualiser: Generic\r\nRMS Average\r\n"
        "Filter  1: ON  PK       Fc   63,8 Hz  Gain  -5,0 dB  Q  8,06\r\n"
        "Filter  2: ON  PK       Fc  1\u00A0066 Hz  Gain   3,0 dB  Q  2,00\r\n"
        "Filter  3: ON  PK       Fc   8.000 Hz  Gain  -2,5 dB  Q  1,50\r\n"
        "Filter  4: ON  None\r\n");
    Import(Write("norsk.txt", Utf16Le(norwegian)));
    const std::vector<Band> bands = Bands(Db().Block(), kCh2);
    EXPECT_EQ(bands[0], (Band{64, 2420, -500}));
    EXPECT_EQ(bands[1], (Band{1066, 600, 300}));
    EXPECT_EQ(bands[2], (Band{8000, 450, -250}));
    EXPECT_TRUE(Texts().value(0).startsWith("Bands imported into CH2: 3."));

    // An Equalizer APO configuration with lines the box cannot hold and
    // Include: files beside it, one of them missing.
    QDir(data.path()).mkpath("cfg/sub");
    Write("cfg/sub/room.txt", "Filter: ON PK Fc 63 Hz Gain -4 dB Q 5\nInclude: ../config.txt\n");
    const QString config = Write("cfg/config.txt",
                                 "Device: Speakers\nCopy: L=R\nInclude: sub/room.txt\nInclude: missing.txt\n"
                                 "Filter: ON NO Fc 60 Hz\nFilter: ON HPQ Fc 40 Hz Q 2.5\n");
    Import(config);
    EXPECT_EQ(Bands(Db().Block(), kCh2)[0], (Band{63, 1500, -400}));
    const QStringList texts = Texts();
    ASSERT_EQ(texts.size(), 1);
    const QString missing = QDir::cleanPath(QDir(data.path()).filePath("cfg/missing.txt"));
    for (const QString& part :
         {QString("Bands imported into CH2: 1."),
          QString("Line 1: Device: Speakers (a configuration line; the box has nothing for it)"),
          "Line 2 of sub/room.txt: Include: ../config.txt (the file includes itself: " +
              QDir::cleanPath(config) + ")",
          "Line 4: Include: missing.txt (the included file is missing: " + missing + ")",
          QString("Line 5: Filter: ON NO Fc 60 Hz (the box has no such filter)"),
          QString("Line 6: Filter: ON HPQ Fc 40 Hz Q 2.5 (no crossover type of the box comes close to it (")})
        EXPECT_TRUE(texts[0].contains(part)) << part.toStdString() << "\nin:\n" << texts[0].toStdString();

    // Nothing but includes that cannot be read: told where the filters are.
    const EffectBlock before = Db().Block();
    Import(Write("only-includes.txt", "Include: left.txt\nInclude: right.txt\n"));
    const QString told = Texts().value(0);
    EXPECT_TRUE(
        told.startsWith("The file's filters are in the files it includes, and none of them could be read."))
        << told.toStdString();
    EXPECT_TRUE(told.contains("Line 2: Include: right.txt (the included file is missing: "))
        << told.toStdString();
    EXPECT_EQ(Db().Block(), before);
}

TEST_F(FilterFilesTest, OwnExportsImportBackToTheSameImageAndTooManyForRewIsSaid) {
    Start();
    Click(Ctl<SkCheckButton>(1603));
    auto exportAndImport = [&](int filterIndex, const char* file) {
        files.savePath = QDir(data.path()).filePath(file);
        files.saveFilterIndex = filterIndex;
        FileMenu("Export filters...");
        const QString exported = Texts().value(0);
        Import(files.savePath);
        return exported;
    };
    // Flat, then bands with gain here and there, not in frequency order.
    for (const std::vector<std::pair<int, const char*>>& gains :
         {std::vector<std::pair<int, const char*>>{}, {{20, "4.5"}, {3, "-6"}, {30, "1.25"}}}) {
        for (const auto& [band, gain] : gains) Type(Ctl<SEdit2>(5200 + band), gain);
        const EffectBlock before = Db().Block();
        for (const auto& [index, file] : {std::pair{0, "own-rew.txt"}, {1, "own-apo.txt"}}) {
            exportAndImport(index, file);
            EXPECT_EQ(Db().Block(), before) << file << " with " << gains.size() << " bands";
            const QString report = Texts().value(0);
            EXPECT_TRUE(report.startsWith(QString("Bands imported into CH2: %1.").arg(gains.size())))
                << report.toStdString();
            EXPECT_FALSE(report.contains("Line ")) << report.toStdString();
        }
    }
    for (int b = 0; b < 21; ++b) Type(Ctl<SEdit2>(5200 + b), "1");
    const QString many = exportAndImport(0, "many.txt");
    EXPECT_EQ(
        many,
        "Filters exported:\n" + files.savePath +
            "\n\nThe file has 22 filters; REW up to V5.19 holds 20 in its Generic equaliser and leaves the "
            "rest out.");
    Texts();
    const QString manyApo = exportAndImport(1, "many-apo.txt");
    EXPECT_EQ(manyApo, "Filters exported:\n" + files.savePath);
}

TEST_F(FilterFilesTest, RefusalsNameTheFileTheLineAndWhatToDoInBothLanguages) {
    Start();
    const QString noOnOff = Write("no-on-off.txt", "Filter 1: PK Fc 50 Hz Gain 1 dB Q 1\n");
    const QString utf16 = Write("utf16.txt", Utf16Le("Filter 1: ON PK Fc fifty Hz Gain 1 dB Q 1\r\n"));
    const QString binary = Write("binary.bin", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x01\0", 20));
    const struct {
        decltype(kEnglish) language;
        QString path;
        QStringList told;
    } cases[] = {
        {kEnglish,
         noOnOff,
         {"Line 1: Filter 1: PK Fc 50 Hz Gain 1 dB Q 1 (ON or OFF is missing after the filter's number)",
          "File: " + noOnOff,
          "Correct that line in a text editor, or export the filters again. Nothing was changed."}},
        {kEnglish, utf16, {"(a number that cannot be read)", "It was read as UTF-16 text."}},
        {kEnglish,
         binary,
         {"The file is not text but binary data:\n" + binary,
          "Export the filters from the measurement program again, as text."}},
        {kChinese,
         noOnOff,
         {"第 1 行：Filter 1: PK Fc 50 Hz Gain 1 dB Q 1（滤波器编号后缺少 ON 或 OFF）", "文件：" + noOnOff,
          "请在文本编辑器中改正该行，或重新导出滤波器。"}},
        {kChinese, binary, {"该文件不是文本，而是二进制数据：\n" + binary}},
    };
    for (const auto& c : cases) {
        app->Language().Use(c.language);
        files.openPaths = {c.path};
        FileMenu(c.language == kChinese ? "导入滤波器..." : "Import filters...");
        Settle();
        const QString text = Texts().value(0);
        for (const QString& part : c.told)
            EXPECT_TRUE(text.contains(part)) << part.toStdString() << "\nin:\n" << text.toStdString();
    }
}

}  // namespace
}  // namespace caraudio::app::test
