// `sum` as an installer runs it: impulse responses of a tweeter and a door
// mid measured alone, the box's crossovers, delay and polarity set, and the
// predicted sum at the seat read off the printed table. The truth is the
// generated speakers' own response through the textbook sections.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <fstream>
#include <numbers>
#include <sstream>

#include "CliRig.h"
#include "SyntheticCar.h"
#include "SyntheticImpulse.h"
#include "TextbookCrossover.h"

namespace caraudio::cli {
namespace {

using namespace rig;
using namespace caraudio::test::car;

struct Row {
    double hz, tweeterDb, midDb, sumDb, sumDeg, targetDb;
};

std::vector<Row> Table(const std::string& out) {
    std::vector<Row> rows;
    for (const std::string& line : Lines(out)) {
        Row r{};
        if (line.starts_with("*")) continue;
        std::istringstream in(line);
        in >> r.hz >> r.tweeterDb >> r.midDb >> r.sumDb >> r.sumDeg >> r.targetDb;
        if (in) rows.push_back(r);
    }
    return rows;
}

double Db(std::complex<double> h) {
    return 20 * std::log10(std::abs(h));
}

class CliSum : public CliWithBox {
protected:
    const Speaker tweeter{"tweeter", Tweeter(900), 0.4, 1, 1.05, {{0.5, 0.4}}, -90};
    const Speaker mid{"mid", DoorMid(55, 6000), 0.35, 1, 1.3, {{0.8, 0.5}}, -90};

    std::string Wav(const Speaker& s, const char* name) {
        const std::string path = File(name);
        std::ofstream(path, std::ios::binary)
            << analysis::synthetic::Wav(Render(s, 0.5), static_cast<int>(kRate), SF_FORMAT_FLOAT);
        return path;
    }
    void Set(const char* name, int raw) {
        const std::string value = std::to_string(raw);
        ASSERT_EQ(Box({"set", name, value}).status, 0) << name;
    }
    // CH1 (Box2) the tweeter behind a 3 kHz Linkwitz 24 dB/oct high-pass,
    // 12 samples late; CH3 (Box4) the mid behind the same low-pass, its
    // phase button pressed. Type byte: Linkwitz (2) << 6 | 24 dB/oct (3).
    void SetCrossover() {
        Set("Box2_HFliter_Type_Xoct", 2 << 6 | 3);
        Set("Box2_HFliter_Freq", 3000);
        Set("Box2_LFliter_Type_Xoct", 8);
        Set("Box4_HFliter_Type_Xoct", 8);
        Set("Box4_LFliter_Type_Xoct", 2 << 6 | 3);
        Set("Box4_LFliter_Freq", 3000);
        Set("Delay_2", 12);
        Set("PhaseCtrl", 1 << 4);
    }
};

// Each channel's level and the sum's, as printed, are the truth moved by
// one offset; the phase is the sum's; the RMS is the one the printed sum
// has against the flat target.
TEST_F(CliSum, PrintsTheChannelsAndTheirSumAtTheSeat) {
    SetCrossover();
    const std::string tw = Wav(tweeter, "tw.wav"), md = Wav(mid, "mid.wav");
    const Result r = Box({"sum", "CH1=" + tw, "CH3=" + md, "--smoothing", "none"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Row> rows = Table(r.out);
    ASSERT_EQ(rows.size(), 1024u) << r.out;
    std::vector<double> gaps;
    double firstGap = NAN;
    for (const Row& row : rows) {
        if (row.hz < 200 || row.hz > 16000) continue;
        const double w = 2 * std::numbers::pi * row.hz;
        const std::complex<double> a = tweeter.At(row.hz) *
                                       ChainAt(Crossover(Kind::LinkwitzRiley, true, 4, 3000), row.hz) *
                                       std::polar(1.0, -w * 12 / 48000);
        const std::complex<double> b =
            -mid.At(row.hz) * ChainAt(Crossover(Kind::LinkwitzRiley, false, 4, 3000), row.hz);
        if (std::isnan(firstGap)) firstGap = row.sumDb - Db(a + b);
        if (Db(a + b) > Db(a) - 30) {
            EXPECT_NEAR(row.sumDb - Db(a + b), firstGap, 0.15) << row.hz << " Hz";
        }
        if (Db(a) > Db(b) - 20) {
            EXPECT_NEAR(row.tweeterDb - Db(a), firstGap, 0.15) << row.hz << " Hz";
        }
        if (Db(b) > Db(a) - 20) {
            EXPECT_NEAR(row.midDb - Db(b), firstGap, 0.15) << row.hz << " Hz";
        }
        EXPECT_EQ(row.targetDb, 0);
    }
    EXPECT_NE(r.out.find("* Sum at the seat of CH1 + CH3"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("* RMS of the sum against the target over 20..20000 Hz"), std::string::npos)
        << r.out;
    // With a high-pass on the mid the two play from 80 Hz up: that is what is judged.
    Set("Box4_HFliter_Type_Xoct", 2 << 6 | 3);
    Set("Box4_HFliter_Freq", 80);
    const Result highPassed = Box({"sum", "CH1=" + tw, "CH3=" + md});
    ASSERT_EQ(highPassed.status, 0) << highPassed.err;
    EXPECT_NE(highPassed.out.find("* RMS of the sum against the target over 80..20000 Hz"), std::string::npos)
        << highPassed.out;
}

// With the tweeter delayed by the 0.25 m it is nearer (35 samples), the
// Linkwitz-Riley pair sums flat in phase; the mid's phase button makes it
// cancel at the crossover, and the RMS says so.
TEST_F(CliSum, InvertedMidDigsAHoleAtTheCrossover) {
    SetCrossover();
    Set("Delay_2", 35);
    const std::string tw = Wav(tweeter, "tw.wav"), md = Wav(mid, "mid.wav");
    auto worstNear3k = [&](double& rms) {
        const Result r =
            Box({"sum", "CH1=" + tw, "CH3=" + md, "--range", "1500..6000", "--smoothing", "1/24"});
        EXPECT_EQ(r.status, 0) << r.err;
        const size_t at = r.out.find("after 1/6-octave smoothing: ");
        rms = at == std::string::npos ? NAN : std::stod(r.out.substr(at + 28));
        double worst = 1e9;
        for (const Row& row : Table(r.out))
            if (row.hz > 2000 && row.hz < 4500)
                worst = std::min(worst, row.sumDb - (row.tweeterDb + row.midDb) / 2);
        return worst;
    };
    double inverted = 0, inPhase = 0;
    const double holeInverted = worstNear3k(inverted);
    Set("PhaseCtrl", 0);
    const double holeInPhase = worstNear3k(inPhase);
    EXPECT_LT(holeInverted, -6);
    EXPECT_GT(holeInPhase, 0);
    EXPECT_GT(inverted, inPhase + 1);
}

TEST_F(CliSum, RefusesWhatItCannotUse) {
    const std::string tw = Wav(tweeter, "tw.wav");
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{"sum"}, 2, ""},
        {{"sum", "CH1=" + tw, "CH1=" + tw}, 2, "CH1 is given twice"},
        {{"sum", "CH7=" + tw}, 2, "give each response as CHn=FILE"},
        {{"sum", "CH1=" + tw, "--range", "10..100"}, 2, "--range takes LO..HI"},
        {{"sum", "CH1=" + tw, "--smoothing", "1/5"}, 1, "--smoothing takes"},
        {{"sum", "CH1=" + tw, "--measured-with", "eq"}, 1, "--measured-with takes"},
        {{"sum", "CH1=" + File("missing.wav")}, 1, "Nothing was changed"},
    };
    for (const auto& c : cases) {
        std::vector<std::string_view> args(c.args.begin(), c.args.end());
        const Result r = Box(args);
        EXPECT_EQ(r.status, c.status) << c.args.back();
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace caraudio::cli
