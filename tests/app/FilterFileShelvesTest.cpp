// Filter files with shelves and graphic EQ curves through the File menu,
// against the built-in box: the bands that stand in for them, what the
// window says about them in both languages, and the files it refuses.
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "AppRig.h"
#include "ChannelCurves.h"
#include "SkButtons.h"
#include "Textbook.h"
#include "TextbookShelf.h"

namespace caraudio::app::test {
namespace {

using caraudio::test::TextbookPeakingDb;
using caraudio::test::TextbookShelfLine;
using widgets::SkCheckButton;

constexpr int kCh2 = 3, kCh3 = 4;  // block indexes of CH2 and CH3

struct Peak {
    double fc, gain, q;
};

// An AutoEQ ParametricEQ.txt: a preamp, a low shelf, peaks, a high shelf.
const TextbookShelfLine kLowShelf{"LSC", 0, 105, 6.9, 0.70}, kHighShelf{"HSC", 0, 10000, -2.1, 0.70};
const Peak kPeaks[] = {{62, -2.8, 1.2}, {180, 1.5, 0.9}, {3162, -3.0, 2.0}, {8865, 4.9, 1.3}};
constexpr char kAutoEq[] =
    "Preamp: -6.1 dB\n"
    "Filter 1: ON LSC Fc 105 Hz Gain 6.9 dB Q 0.70\n"
    "Filter 2: ON PK Fc 62 Hz Gain -2.8 dB Q 1.20\n"
    "Filter 3: ON PK Fc 180 Hz Gain 1.5 dB Q 0.90\n"
    "Filter 4: ON PK Fc 3162 Hz Gain -3.0 dB Q 2.00\n"
    "Filter 5: ON PK Fc 8865 Hz Gain 4.9 dB Q 1.30\n"
    "Filter 6: ON HSC Fc 10000 Hz Gain -2.1 dB Q 0.70\n";

class FilterFileShelvesTest : public AppRig {
protected:
    void Import(const QString& path, const QString& item = "Import filters...") {
        files.openPaths = {path};
        FileMenu(item);
        Settle();
    }
    int BandsWithGain(const EffectBlock& image, int ch) {
        int n = 0;
        for (int b = 0; b < kBandCount; ++b) n += image.Get(*FindParam(param::BandGain(ch, b))) != 0;
        return n;
    }
    // The largest difference from 20 to 20000 Hz between the channel's band
    // curve in the window's model and the given curve.
    double Deviation(int ch, const std::function<double(double)>& file) {
        auto* curves = dynamic_cast<ChannelCurves*>(Db().Curves());
        EXPECT_NE(curves, nullptr);
        const EqCurveModel& model = curves->Model(ch);
        double worst = 0;
        for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
            const double hz = model.Grid().Hz(i);
            if (hz >= 20 && hz <= 20000)
                worst = std::max(worst, std::fabs(model.Curve1()[size_t(i)] - file(hz)));
        }
        return worst;
    }
};

// The counts the report gives each line ("approximated by N bands").
int CountedBands(const QString& report) {
    int sum = 0;
    QRegularExpressionMatchIterator it =
        QRegularExpression("(?:approximated by |用 )(\\d+) (?:bands?|个频段近似)").globalMatch(report);
    while (it.hasNext()) sum += it.next().captured(1).toInt();
    return sum;
}

TEST_F(FilterFileShelvesTest, ShelvesAreFollowedByBandsOnTheLinkGroupAndSaidSoInBothLanguages) {
    Start();
    Click(Ctl<SkCheckButton>(1103));
    Click(Ctl<SkCheckButton>(1104));
    ASSERT_TRUE(Db().EditReaches(kCh2, kCh3));
    const QString path = Write("ParametricEQ.txt", kAutoEq);
    const auto file = [](double hz) {
        double db = kLowShelf.Db(hz) + kHighShelf.Db(hz);
        for (const Peak& p : kPeaks) db += TextbookPeakingDb(p.fc, p.gain, p.q, hz);
        return db;
    };
    for (const int language : {kEnglish, kChinese}) {
        app->Language().Use(language);
        prompter.answer = Answer::No;  // the preamp stays a question
        Import(path, language == kEnglish ? "Import filters..." : "导入滤波器...");
        const QStringList texts = Texts();
        ASSERT_EQ(texts.size(), 2) << texts.join("\n---\n").toStdString();
        const QString& report = texts[1];
        const int used = BandsWithGain(Db().Block(), kCh2);
        EXPECT_GT(used, 4);
        EXPECT_EQ(CountedBands(report), used - 4) << report.toStdString();
        for (const int ch : {kCh2, kCh3}) EXPECT_LE(Deviation(ch, file), 0.5) << "channel " << ch;
        EXPECT_EQ(SentBox(), Db().Block()) << "the box holds them";
        const QStringList parts =
            language == kEnglish
                ? QStringList{QString("Bands imported into CH2: %1.").arg(used),
                              "The box has no shelf or graphic EQ filter; bands fitted to the file's curve "
                              "stand "
                              "in, within 0.",
                              "Line 2: Filter 1: ON LSC Fc 105 Hz Gain 6.9 dB Q 0.70 (a low shelf, "
                              "approximated by ",
                              "Line 7: Filter 6: ON HSC Fc 10000 Hz Gain -2.1 dB Q 0.70 (a high shelf, "
                              "approximated "
                              "by "}
                : QStringList{QString("导入到 CH2 的频段：%1 个。").arg(used),
                              "设备没有架式滤波器或图示均衡器；改用按文件曲线拟合的频段代替，偏差在 0.",
                              "第 2 行：Filter 1: ON LSC Fc 105 Hz Gain 6.9 dB Q 0.70（低架滤波器，用 ",
                              "第 7 行：Filter 6: ON HSC Fc 10000 Hz Gain -2.1 dB Q 0.70（高架滤波器，用 "};
        for (const QString& part : parts)
            EXPECT_TRUE(report.contains(part)) << part.toStdString() << "\nin:\n" << report.toStdString();
    }
}

TEST_F(FilterFileShelvesTest, AGraphicEqCurveIsFollowedWithinHalfADbRms) {
    Start();
    app->Language().Use(kEnglish);
    Click(Ctl<SkCheckButton>(1603));  // the speaker of CH2
    std::vector<std::pair<double, double>> points;
    QByteArray line = "GraphicEQ:";
    for (int n = 0; n < 127; ++n) {
        const double hz = std::round(20 * std::pow(1.0563, n));
        const double db = std::round(10 * (5 * std::exp(-std::pow(std::log2(hz / 40), 2) / 2) -
                                           4 * std::exp(-4 * std::pow(std::log2(hz / 3000), 2)) +
                                           1.5 * std::sin(n * 0.2))) /
                          10;
        points.emplace_back(hz, db);
        line += QString("%1 %2 %3").arg(n ? ";" : "").arg(hz).arg(db, 0, 'f', 1).toUtf8();
    }
    Import(Write("GraphicEQ.txt", line + "\n"));
    const QStringList texts = Texts();
    ASSERT_EQ(texts.size(), 1);
    const int used = BandsWithGain(Db().Block(), kCh2);
    for (const char* part :
         {"The box has no shelf or graphic EQ filter; bands fitted to the file's curve stand "
          "in, within 0.",
          " dB RMS of it:\nLine 1: GraphicEQ: 20 "})
        EXPECT_TRUE(texts[0].contains(part)) << part << "\nin:\n" << texts[0].toStdString();
    EXPECT_TRUE(texts[0].contains(QString("(a graphic EQ curve, approximated by %1 bands)").arg(used)))
        << texts[0].toStdString();
    auto* curves = dynamic_cast<ChannelCurves*>(Db().Curves());
    ASSERT_NE(curves, nullptr);
    const EqCurveModel& model = curves->Model(kCh2);
    double squares = 0;
    int n = 0;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double hz = model.Grid().Hz(i);
        if (hz < 20 || hz > 20000) continue;
        const double d = model.Curve1()[size_t(i)] - caraudio::test::TextbookGraphicEqDb(points, hz);
        squares += d * d;
        ++n;
    }
    EXPECT_LE(std::sqrt(squares / n), 0.5);
}

TEST_F(FilterFileShelvesTest, ShelvesTheFreeBandsCannotFollowChangeNothing) {
    Start();
    app->Language().Use(kEnglish);
    QByteArray thirty;
    for (int n = 1; n <= 30; ++n)
        thirty += QString("Filter %1: ON PK Fc %2 Hz Gain 1 dB Q 4\n").arg(n).arg(200 + 300 * n).toUtf8();
    const struct {
        const char* file;
        QByteArray content;
        const char* told;
    } cases[] = {
        {"steep.txt",
         thirty + "Filter 31: ON LS 12dB Fc 200 Hz Gain -12 dB\nFilter 32: ON HS 6dB Fc 5000 Hz Gain 12 dB\n",
         "Bands the peaking filters leave free: 1, too few to follow these shelves and curves within 0.5 dB "
         "(the "
         "closest came to "},
        {"steep.txt",
         thirty + "Filter 31: ON LS 12dB Fc 200 Hz Gain -12 dB\nFilter 32: ON HS 6dB Fc 5000 Hz Gain 12 dB\n",
         "dB):\nLine 31: Filter 31: ON LS 12dB Fc 200 Hz Gain -12 dB (a low shelf)\nLine 32: Filter 32: ON "
         "HS 6dB "
         "Fc 5000 Hz Gain 12 dB (a high shelf)\n\nFile: "},
        {"steep.txt",
         thirty + "Filter 31: ON LS 12dB Fc 200 Hz Gain -12 dB\nFilter 32: ON HS 6dB Fc 5000 Hz Gain 12 dB\n",
         "steep.txt\n\nRemove filters from the file or import it in parts. Nothing was changed."},
        {"no-shelf.txt",
         "Filter 1: ON PK Fc 100 Hz Gain 2 dB Q 1\nFilter 2: ON LSC Fc 100 Hz Gain 3 dB Q 0\n",
         "The shelf on line 2 describes no filter: a shelf needs Fc, a gain and a positive Q or a slope its "
         "gain "
         "allows.\nFilter 2: ON LSC Fc 100 Hz Gain 3 dB Q 0\n\nFile: "},
        {"no-shelf.txt",
         "Filter 1: ON PK Fc 100 Hz Gain 2 dB Q 1\nFilter 2: ON LSC Fc 100 Hz Gain 3 dB Q 0\n",
         "no-shelf.txt\n\nNothing was changed."},
    };
    const EffectBlock before = Db().Block();
    const EffectBlock sentBefore = SentBox();
    for (const auto& c : cases) {
        Import(Write(c.file, c.content));
        const QStringList texts = Texts();
        ASSERT_EQ(texts.size(), 1) << c.file;
        EXPECT_TRUE(texts[0].contains(c.told)) << c.file << ": " << texts[0].toStdString();
        EXPECT_EQ(Db().Block(), before) << c.file;
        EXPECT_EQ(SentBox(), sentBefore) << c.file;
    }
}

}  // namespace
}  // namespace caraudio::app::test
