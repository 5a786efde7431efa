// Sound files from anywhere: reading never crashes, whatever it accepts
// gives an arrival inside the response and a finite spectrum, and what is
// judged an impulse response gives delays within the box's range.
#include <cmath>
#include <complex>
#include <cstdint>
#include <string_view>

#include "Arrival.h"
#include "DelayProposal.h"
#include "EditorGrid.h"
#include "FuzzCheck.h"
#include "ImpulseResponse.h"
#include "ImpulseFrequencyResponse.h"

using namespace caraudio::analysis;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ImpulseResponseRead r =
        ReadImpulseResponseBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    if (r.status != ImpulseResponseStatus::Read) {
        FUZZ_CHECK(r.response.samples.empty());
        return 0;
    }
    const ImpulseResponse& ir = r.response;
    FUZZ_CHECK(ir.rate == 44100 || ir.rate == 48000 || ir.rate == 96000);
    FUZZ_CHECK(!ir.samples.empty() && ir.samples.size() <= kMaxImpulseResponseSeconds * ir.rate);
    for (const std::complex<double>& bin : ImpulseFrequencyResponse(ir, EditorGrid()))
        FUZZ_CHECK(std::isfinite(bin.real()) && std::isfinite(bin.imag()));
    const Arrival a = DetectArrival(ir);
    if (a.status == ArrivalStatus::Silent) return 0;
    const double lengthMs = 1000.0 * static_cast<double>(ir.samples.size()) / ir.rate;
    FUZZ_CHECK(std::isfinite(a.ms) && a.ms >= 0 && a.ms <= lengthMs);
    FUZZ_CHECK(a.polarity == 1 || a.polarity == -1);
    if (a.status != ArrivalStatus::Found) return 0;
    const DelayProposal p = ProposeDelays({a.ms, 0.0});
    if (p.status == DelayProposalStatus::Proposed)
        for (int raw : p.raw) FUZZ_CHECK(raw >= 0 && raw <= kMaxDelayRaw);
    return 0;
}
