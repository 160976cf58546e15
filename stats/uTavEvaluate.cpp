#include <bit>
#include <cmath>

#include "stats/uTavFreq.h"

double MPrior = 1.0;
double MParam = 2.0;
double SignificancePct = 5.0;
std::array<bool, kSubTotalSlot + 1> RowVisible = [] {
    std::array<bool, kSubTotalSlot + 1> flags{};
    flags.fill(true);
    flags[kSubTotalSlot] = false;
    return flags;
}();

void resetStatSettings() {
    MPrior = 1.0;
    MParam = 2.0;
    SignificancePct = 5.0;
    RowVisible.fill(true);
    RowVisible[kSubTotalSlot] = false;
}

namespace {

void checkSameSize(const TStBits& a, const TStBits* b) {
    if (!a.hasBuffer() || (b != nullptr && !b->hasBuffer()))
        throw EStContainerError("Evaluate: a record set that does not hold its records now");
    if (b != nullptr && b->maxIndex() != a.maxIndex()) {
        throw EStContainerError("Evaluate: record sets of different sizes (" +
                                std::to_string(a.maxIndex() + 1) + " and " +
                                std::to_string(b->maxIndex() + 1) + " records)");
    }
}

struct TEvalCounts {
    int64_t priorD = 0, priorN = 0, countD = 0, countN = 0;
};

// One pass over the words counts the four sets that the estimate needs, without building any:
// D = Context restricted to known rule fields, N = D and S, then both further restricted to A and
// B. Cloned for processors with a population-count instruction, the run's innermost loop.
__attribute__((target_clones("popcnt", "default"))) void countEvaluationSets(
    const std::vector<uint64_t>& ctx, const std::vector<uint64_t>& set,
    const std::vector<const std::vector<uint64_t>*>& ruleFields, const std::vector<uint64_t>* a,
    const std::vector<uint64_t>* b, int32_t maxIndex, TEvalCounts& counts) {
    const size_t words = ctx.size();
    const int usedBits = maxIndex % 64 + 1;
    const uint64_t lastMask = usedBits < 64 ? (uint64_t{1} << usedBits) - 1 : ~uint64_t{0};
    for (size_t k = 0; k < words; ++k) {
        uint64_t d = ctx[k];
        for (const std::vector<uint64_t>* field : ruleFields)
            d &= (*field)[k];
        if (k + 1 == words) d &= lastMask;
        uint64_t n = d & set[k];
        counts.priorD += __builtin_popcountll(d);
        counts.priorN += __builtin_popcountll(n);
        if (a != nullptr) d &= (*a)[k], n &= (*a)[k];
        if (b != nullptr) d &= (*b)[k], n &= (*b)[k];
        counts.countD += __builtin_popcountll(d);
        counts.countN += __builtin_popcountll(n);
    }
}

}  // namespace

double Evaluate(const TSetCatalogue& catalogue, TMnozica& S, const TStBits* A, const TStBits* B) {
    const TMnozica* context = catalogue.context();
    if (context == nullptr) throw EStContainerError("Evaluate: there is no Context set");
    checkSameSize(*context, &S);
    checkSameSize(*context, A);
    checkSameSize(*context, B);
    std::vector<const std::vector<uint64_t>*> ruleFields;
    for (const TItemPravila& item : S.Rule) {
        const TMnozica* field = catalogue.fieldSet(item.FieldNo);
        if (field == nullptr) {
            throw EStContainerError("Evaluate: the rule names field " +
                                    std::to_string(item.FieldNo) + ", which has no field set");
        }
        checkSameSize(*context, field);
        ruleFields.push_back(&field->words());
    }

    TEvalCounts counts;
    countEvaluationSets(context->words(), S.words(), ruleFields, A ? &A->words() : nullptr,
                        B ? &B->words() : nullptr, context->maxIndex(), counts);
    const TEstimate estimate =
        EstimateFromCounts(counts.priorD, counts.priorN, counts.countD, counts.countN, S.SetM);
    S.Dist = estimate.dist;
    S.EvalCount = estimate.count;
    S.EvalStd = estimate.std;
    S.EvalScale = estimate.scale;
    return estimate.probability;
}

TEstimate EstimateFromCounts(int64_t priorD, int64_t priorN, int64_t countD, int64_t countN,
                             double setM) {
    const long double mp = MPrior;
    const long double m = setM;
    const long double q = (priorN + 0.5L * mp) / (priorD + mp);
    const long double alpha = countN + m * q;
    const long double beta = (countD - countN) + (1 - q) * m;
    const long double sum = alpha + beta;
    const long double p = alpha / sum;
    const long double stdDev = std::sqrt(alpha * beta / (sum * sum * (sum + 1)));
    TEstimate estimate;
    estimate.dist.Alpha = static_cast<double>(alpha);
    estimate.dist.Beta = static_cast<double>(beta);
    estimate.count = static_cast<int32_t>(countN);
    estimate.std = static_cast<double>(stdDev);
    estimate.scale = static_cast<double>(EntropyScale(p));
    estimate.probability = static_cast<double>(p);
    return estimate;
}

double Probability(const TSetCatalogue& catalogue, TMnozica& S, const TStBits* A,
                   const TStBits* B) {
    return Evaluate(catalogue, S, A, B);
}

TSignifColor SignifColor(double x) {
    const double s = SignificancePct / 100;
    if (x > 1 - s) return TSignifColor{0, 0, 255, false};
    if (x < s) return TSignifColor{255, 0, 0, false};
    return TSignifColor{};
}

bool SignifHasEvidence(int number, int frequency, int condFrequency) {
    return number != -1 && (frequency != 0 || condFrequency != 0);
}

TSignifColor FrequencyRowColor(int number, int frequency, int condFrequency, double signif) {
    return SignifHasEvidence(number, frequency, condFrequency) ? SignifColor(signif)
                                                               : TSignifColor{};
}
