#include "EqCurveModel.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace caraudio {
namespace {

constexpr double kPi = 3.14159265358979;
// Filters at or below these gains draw nothing.
constexpr double kAudibleGain = 0.01;
constexpr double kComputedGain = 0.001;
// A magnitude ratio this small is a zero of the filter; it is drawn at
// -240 dB rather than as minus infinity.
constexpr double kSmallestRatio = 1e-12;

bool IsPassType(EqFilterType t) {
    return t == EqFilterType::Linkwitz || t == EqFilterType::Bessel || t == EqFilterType::Butterworth ||
           t == EqFilterType::VariableQ;
}

bool Audible(double gain) {
    return std::fabs(gain) >= kAudibleGain;
}
bool InPassRange(double f) {
    return f >= 20 && f <= 19999;
}

}  // namespace

void EqCurveModel::ComputeCoefficients(EqFilterRecord& r) {
    const double w0 = 2 * kPi * r.frequency / FrequencyGrid::kSampleRate;
    const double sn = std::sin(w0);
    const double cs = std::cos(w0);
    // A band without width (Q 0, from a damaged image) or a shelf without its
    // divisor has no effect at all, rather than dividing by zero.
    const bool noWidth = (r.type == EqFilterType::Peaking || r.type == EqFilterType::VariableQ) && !(r.q > 0);
    if (noWidth || (r.type == EqFilterType::Shelf && !(r.shelfFactor > 0))) {
        r.a0 = r.b0 = 1;
        r.a1 = r.a2 = r.b1 = r.b2 = 0;
        return;
    }
    switch (r.type) {
    case EqFilterType::Peaking: {
        const double A = std::pow(10.0, r.gain / 40);
        const double alpha = sn / (2 * r.q);
        const double d = 1 + alpha / A;
        r.a0 = 1;
        r.a1 = -2 * cs / d;
        r.a2 = (1 - alpha / A) / d;
        r.b0 = (1 + alpha * A) / d;
        r.b1 = -2 * cs / d;
        r.b2 = (1 - alpha * A) / d;
        return;
    }
    case EqFilterType::Linkwitz:
    case EqFilterType::Bessel:
    case EqFilterType::Butterworth:
    case EqFilterType::VariableQ: {
        double alpha;
        switch (r.type) {
        case EqFilterType::Linkwitz:
            alpha = sn / std::sqrt(2.0);
            break;
        case EqFilterType::Bessel:
            alpha = sn * std::sqrt(3.0) / 2;
            break;
        case EqFilterType::Butterworth:
            alpha = sn / 1.718;
            break;
        default:
            alpha = sn / (2 * r.q);
            break;
        }
        const double d = 1 + alpha;
        r.a0 = 1;
        r.a1 = -2 * cs / d;
        r.a2 = (1 - alpha) / d;
        if (r.role == EqFilterRole::HighPass) {
            r.b0 = r.b2 = (1 + cs) / (2 * d);
            r.b1 = -(1 + cs) / d;
        } else if (r.role == EqFilterRole::LowPass) {
            r.b0 = r.b2 = (1 - cs) / (2 * d);
            r.b1 = (1 - cs) / d;
        }
        return;
    }
    case EqFilterType::Shelf: {
        const double A = std::pow(10.0, r.gain / 40);
        const double beta = sn * std::sqrt(2 * A) / r.shelfFactor;
        r.a0 = r.b0 = 1;
        r.a1 = r.a2 = r.b1 = r.b2 = 0;
        if (r.role == EqFilterRole::HighPass) {  // low shelf
            const double P = (A + 1) + (A - 1) * cs + beta;
            r.a1 = -2 * ((A - 1) + (A + 1) * cs) / P;
            r.a2 = ((A + 1) + (A - 1) * cs - beta) / P;
            r.b0 = A * ((A + 1) - (A - 1) * cs + beta) / P;
            r.b1 = 2 * A * ((A - 1) - (A + 1) * cs) / P;
            r.b2 = A * ((A + 1) - (A - 1) * cs - beta) / P;
        } else if (r.role == EqFilterRole::LowPass) {  // high shelf
            const double P = (A + 1) - (A - 1) * cs + beta;
            r.a1 = 2 * ((A - 1) - (A + 1) * cs) / P;
            r.a2 = ((A + 1) - (A - 1) * cs - beta) / P;
            r.b0 = A * ((A + 1) + (A - 1) * cs + beta) / P;
            r.b1 = -2 * A * ((A - 1) + (A + 1) * cs) / P;
            r.b2 = A * ((A + 1) + (A - 1) * cs - beta) / P;
        }
        return;
    }
    }
}

void EqCurveModel::ComputeResponse(EqFilterRecord& r, const FrequencyGrid& grid) {
    if (r.gain > -kComputedGain && r.gain < kComputedGain) return;
    const double scale = IsPassType(r.type) ? r.gain / -12 : 1.0;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double c1 = grid.Cos1(i), s1 = grid.Sin1(i), c2 = grid.Cos2(i), s2 = grid.Sin2(i);
        const double nr = r.b0 + r.b1 * c1 + r.b2 * c2, ni = -(r.b1 * s1 + r.b2 * s2);
        const double dr = r.a0 + r.a1 * c1 + r.a2 * c2, di = -(r.a1 * s1 + r.a2 * s2);
        // 20 log10(|N| / |D|) as 10 log10 of the squared ratio: one logarithm,
        // no square roots.
        const double den = dr * dr + di * di;
        double ratio = den > 0 ? (nr * nr + ni * ni) / den : 1.0;
        if (!(ratio >= kSmallestRatio * kSmallestRatio)) ratio = kSmallestRatio * kSmallestRatio;  // and NaN
        r.response[static_cast<size_t>(i)] = 10 * std::log10(ratio) * scale;
    }
}

void EqCurveModel::Recompute(EqFilterRecord& r) {
    ComputeCoefficients(r);
    r.response.fill(0);
    if (grid_.IsBuilt()) ComputeResponse(r, grid_);
}

void EqCurveModel::CopyInput(EqFilterRecord& r, const EqFilterInput& in) {
    r.role = in.role;
    r.type = in.type;
    r.frequency = in.frequency;
    r.gain = in.gain;
    r.q = in.q;
    r.shelfFactor = in.shelfFactor;
}

bool EqCurveModel::InitBands(const std::array<EqFilterInput, kBands>& bands) {
    if (!records_) {
        records_.reset(new (std::nothrow) std::array<EqFilterRecord, kRecords>());
        if (!records_) return false;
    }
    bandCount_ = kBands;
    current_ = -1;
    for (int n = 0; n < kBands; ++n) {
        EqFilterRecord& r = (*records_)[static_cast<size_t>(n)];
        CopyInput(r, bands[static_cast<size_t>(n)]);
        r.response.fill(0);
        if (Audible(r.gain)) Recompute(r);
    }
    SumCurves();
    return true;
}

bool EqCurveModel::SetBand(int index, const EqFilterInput& band) {
    if (!records_ || index < 0 || index >= bandCount_) return false;
    EqFilterRecord& r = (*records_)[static_cast<size_t>(index)];
    const double oldGain = r.gain;
    CopyInput(r, band);
    current_ = -1;
    r.response.fill(0);
    if (Audible(band.gain)) {
        Recompute(r);
        current_ = index;
        SumCurves();
        return true;
    }
    if (!Audible(oldGain)) return false;
    SumCurves();
    return true;
}

bool EqCurveModel::SetAllBands(const std::array<EqFilterInput, kBands>& bands) {
    if (!records_ || bandCount_ != kBands) return false;
    current_ = -1;
    curve1_.fill(0);
    curve2_.fill(0);
    for (int n = 0; n < kBands; ++n) {
        EqFilterRecord& r = (*records_)[static_cast<size_t>(n)];
        CopyInput(r, bands[static_cast<size_t>(n)]);
        r.response.fill(0);
        if (Audible(r.gain)) Recompute(r);
    }
    SumCurves();
    return true;
}

void EqCurveModel::SetPass(int slot, int& index, EqFilterRole role, double frequency, double slope, double q,
                           EqFilterType type) {
    if (!records_) return;
    index = bandCount_ + slot;
    EqFilterRecord& r = (*records_)[static_cast<size_t>(index)];
    r.frequency = frequency;
    r.gain = slope;
    r.q = q;
    r.type = type;
    r.role = role;
    r.shelfFactor = 1.0;
    r.response.fill(0);
    if (InPassRange(frequency) && Audible(slope)) Recompute(r);
    SumCurves();
    current_ = InPassRange(frequency) ? index : -1;
}

void EqCurveModel::SetHighPass(double f, double slope, double q, EqFilterType type) {
    SetPass(0, highPass_, EqFilterRole::HighPass, f, slope, q, type);
}

void EqCurveModel::SetLowPass(double f, double slope, double q, EqFilterType type) {
    SetPass(1, lowPass_, EqFilterRole::LowPass, f, slope, q, type);
}

void EqCurveModel::SetHighPass2(double f, double slope, double q, EqFilterType type) {
    SetPass(2, highPass2_, EqFilterRole::HighPass, f, slope, q, type);
}

void EqCurveModel::SetLowPass2(double f, double slope, double q, EqFilterType type) {
    SetPass(3, lowPass2_, EqFilterRole::LowPass, f, slope, q, type);
}

void EqCurveModel::RecomputeAll(double startHz) {
    grid_.Build(startHz);
    if (!records_) return;
    for (int n = 0; n < bandCount_; ++n) {
        EqFilterRecord& r = (*records_)[static_cast<size_t>(n)];
        if (Audible(r.gain)) Recompute(r);
    }
    for (int index : {highPass_, lowPass_, highPass2_, lowPass2_}) {
        if (index < 0) continue;
        EqFilterRecord& r = (*records_)[static_cast<size_t>(index)];
        if (InPassRange(r.frequency) && Audible(r.gain)) Recompute(r);
    }
    SumCurves();
}

void EqCurveModel::SumCurves() {
    if (!grid_.IsBuilt() || !records_) return;
    // Whole arrays added one after another: the same sums as point by point,
    // but each record's response is read in order.
    const auto& rec = *records_;
    Response bands{};
    for (int n = 0; n < bandCount_; ++n) {
        const Response& r = rec[static_cast<size_t>(n)].response;
        for (size_t i = 0; i < FrequencyGrid::kPoints; ++i) bands[i] += r[i];
    }
    auto sum = [&](Response& curve, int a, int b) {
        curve = bands;
        for (int index : {a, b}) {
            if (index < 0) continue;
            const Response& r = rec[static_cast<size_t>(index)].response;
            for (size_t i = 0; i < FrequencyGrid::kPoints; ++i) curve[i] += r[i];
        }
    };
    sum(curve1_, highPass_, lowPass_);
    peak_ = std::max(0.0, *std::max_element(curve1_.begin(), curve1_.end()));
    if (!HasCurve2()) return;
    sum(curve2_, highPass2_, lowPass2_);
    peak_ = std::max(peak_, *std::max_element(curve2_.begin(), curve2_.end()));
}

}  // namespace caraudio
