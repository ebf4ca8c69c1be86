#include "trees/r_support.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>

#include "foundation/number_text.h"
#include "foundation/strict_number.h"
#include "trees/consensus.h"
#include "trees/tree_reading.h"

namespace {

// Refinement never needs more steps than this; more means the list is broken.
constexpr std::size_t kMaxEvaluations = 100000;

std::string MaskKey(const OTUSet& mask) {
    std::string key;
    for (std::uint64_t w : mask.Words())
        for (int b = 0; b < 64; b += 8) key.push_back(static_cast<char>((w >> b) & 0xFFU));
    return key;
}

std::string Members(const OTUSet& mask, const AString& names) {
    std::string text = "(";
    mask.ForEach([&](std::size_t i) { text += (text.size() > 1 ? "," : "") + names[i]; });
    return text + ")";
}

// The last entry whose r equals r, or the list's size.
std::size_t LastWithR(const RList& list, std::uint32_t r) {
    for (std::size_t k = list.size(); k-- > 0;)
        if (list[k].R == r) return k;
    return list.size();
}

bool AnyClusterAt(const ClusterList& list, std::uint32_t r) {
    for (const TTrSetCluster& c : list.Entries())
        if (c.RValue == r) return true;
    return false;
}

}  // namespace

void AddRValue(RList& list, std::uint32_t r) {
    std::size_t best = list.size();
    for (std::size_t k = 0; k < list.size(); ++k)
        if (list[k].R > 0 && list[k].R < r && (best == list.size() || list[k].R > list[best].R)) best = k;
    std::uint32_t next = 0;
    if (best < list.size()) {
        next = list[best].Next;
        list[best].Next = r;
    }
    list.push_back({r, next, 0});
}

std::uint32_t NextRValue(std::uint32_t a, std::uint32_t b) {
    // round(sqrt(a * b)): s = floor(sqrt(p)), then up when p - s^2 > s (p lies beyond (s + 1/2)^2).
    const std::uint64_t p = static_cast<std::uint64_t>(a) * b;
    auto s = static_cast<std::uint64_t>(std::sqrt(static_cast<long double>(p)));
    while (s * s > p) --s;
    while ((s + 1) * (s + 1) <= p) ++s;
    if (p - s * s > s) ++s;
    return static_cast<std::uint32_t>(s);
}

bool RefineCheck(const RList& list, std::uint8_t precision, std::uint32_t& low, std::uint32_t& high) {
    low = 0;
    high = 0;
    const long double limit = std::pow(10.0L, -static_cast<long double>(precision));
    long double best = -1.0L;
    for (std::size_t k = 0; k < list.size(); ++k) {
        const RListEntry& e = list[k];
        // A closed entry's next value 999 names no entry unless 999 was evaluated, and then the
        // flag test below keeps it closed; 999 as a real next value is refined like any other.
        if (e.Next == 0) continue;
        const std::size_t j = LastWithR(list, e.Next);
        if (j == list.size() || j == k) continue;
        const RListEntry& a = list[std::max(j, k)];
        const RListEntry& b = list[std::min(j, k)];
        if (a.Flag == b.Flag && a.Flag != 0) continue;
        if (b.Flag == a.R) continue;
        if (a.Next == a.Flag && a.Next != 0) continue;
        const long double d =
            std::fabs(std::log10(static_cast<long double>(e.R)) - std::log10(static_cast<long double>(e.Next)));
        if (d > best && d > limit) {
            best = d;
            low = e.R;
            high = e.Next;
        }
    }
    return best >= 0.0L;
}

bool TreesToRefs(Reporter& reporter, const AString& lines, std::vector<ParsedTree>& trees) {
    TreeLines numbered;
    for (std::size_t i = 0; i < lines.size(); ++i) numbered.push_back({lines[i], i + 1});
    return ParseTreeLines(reporter, "of the replicate trees", numbered, trees);
}

bool RConsensus(Reporter& reporter, const std::string& id, std::uint32_t threshold, const AString& trees,
                std::uint8_t roundMode, std::string& text) {
    text.clear();
    std::vector<ParsedTree> parsed;
    OTUList otus;
    ClusterList list;
    if (trees.empty()) {
        reporter.Error("R-support: no replicate trees at r= " + id);
        return false;
    }
    if (!TreesToRefs(reporter, trees, parsed) || !FirstTreeOTUs(reporter, parsed, otus) ||
        !FirstMethodClusters(reporter, parsed, otus, list))
        return false;
    TTrees t;
    t.AngleLabels = true;
    t.ThresholdPercent = threshold;
    t.TreeIDText = id;
    t.RoundMode = roundMode;
    return t.BuildConsensus(reporter, list, otus.Names(), parsed.size(), text);
}

bool GetExtClusters(Reporter& reporter, const std::string& line, const OTUList& otus, ClusterList& list) {
    ParsedTree tree;
    std::string reason;
    if (!ParseTreeLine(line, tree, reason)) {
        reporter.Error("Cannot parse private consensus: " + reason);
        return false;
    }
    const std::string prefix = "<TreeID~";
    if (tree.RootLabel.rfind(prefix, 0) != 0 || tree.RootLabel.back() != '>') {
        reporter.Error("GetExtClusters cannot find TreeID");
        return false;
    }
    std::uint64_t r = 0;
    if (!StrictToUInt64(tree.RootLabel.substr(prefix.size(), tree.RootLabel.size() - prefix.size() - 1), r) || r == 0 ||
        r > 0xFFFFFFFFu) {
        reporter.Error("ERROR: Invalid TreeID");
        return false;
    }
    const auto otuOf = TreeOTUIndices(tree, otus);
    std::vector<TTrSetCluster> found;
    for (std::size_t g = 0; g < tree.Groups.size(); ++g) {
        std::uint64_t percent = 100;  // the outermost group holds every OTU
        if (g + 1 < tree.Groups.size()) {
            const std::string& label = tree.GroupLabels[g];
            if (label.size() < 3 || label.front() != '<' || label.back() != '>') {
                reporter.Error("Cannot parse private consensus");
                return false;
            }
            if (!StrictToUInt64(label.substr(1, label.size() - 2), percent) || percent > 100) {
                reporter.Error("Converting cluster number failed");
                return false;
            }
        }
        OTUSet mask;
        std::string unknown;
        if (!GroupMask(tree, g, otuOf, otus.Count(), mask, unknown)) {
            reporter.Error("GetExtClusters: " + unknown + " is not an OTU of the first consensus");
            return false;
        }
        found.push_back({std::move(mask), static_cast<std::uint32_t>(percent), static_cast<std::uint32_t>(r)});
    }
    if (list.size() + found.size() > list.Capacity()) {
        reporter.Error("Maximal number of clusters that can be evaluated has been reached.");
        return false;
    }
    for (TTrSetCluster& c : found) list.Append(std::move(c));
    return true;
}

void ThinRClusters(Reporter& reporter, ClusterList& list) {
    std::set<std::uint32_t> values;
    std::unordered_map<std::string, std::set<std::uint32_t>> rOfMask;
    for (const TTrSetCluster& c : list.Entries()) {
        values.insert(c.RValue);
        rOfMask[MaskKey(c.Mask)].insert(c.RValue);
    }
    std::vector<bool> drop(list.size(), false);
    bool stopped = false;
    for (std::uint32_t v : values) {
        for (std::size_t e = 0; e < list.size() && !stopped; ++e) {
            if (drop[e]) continue;
            const std::uint32_t f = list[e].RValue;
            const std::set<std::uint32_t>& at = rOfMask[MaskKey(list[e].Mask)];
            if (v < f && at.count(v) != 0) {
                drop[e] = true;
            } else if (v > f && at.count(v) == 0) {
                reporter.Warning("Trees are inconsistent (cluster #" + UIntToStr(e + 1) + ") d= " + UIntToStr(v) +
                                 " f= " + UIntToStr(f) + "\r\nstartcluster=  of " + UIntToStr(list.size()));
                stopped = true;
            }
        }
        if (stopped) break;
    }
    list.KeepIf([&](std::size_t k) { return !drop[k]; });
}

bool AddThinCLustersExt(Reporter& reporter, ClusterList& list, std::size_t firstNew, std::uint32_t r) {
    // The last entry of each mask, for the consistency test.
    std::unordered_map<std::string, std::vector<std::size_t>> byMask;
    for (std::size_t k = 0; k < list.size(); ++k) byMask[MaskKey(list[k].Mask)].push_back(k);
    for (std::size_t k = 0; k < firstNew && k < list.size(); ++k) {
        if (list[k].RValue >= r) continue;
        const auto& same = byMask[MaskKey(list[k].Mask)];
        std::uint32_t other = 0;
        for (std::size_t i = same.size(); i-- > 0;) {
            if (same[i] != k) {
                other = list[same[i]].RValue;
                break;
            }
        }
        if (other != 0 && other != r) {
            reporter.Error("Inconsistent tree detected");
            return false;
        }
    }
    std::vector<bool> drop(list.size(), false);
    for (std::size_t n = firstNew; n < list.size(); ++n) {
        for (std::size_t k : byMask[MaskKey(list[n].Mask)]) {
            if (k >= firstNew) continue;
            if (list[k].RValue <= r) drop[n] = true;
            else drop[k] = true;
        }
    }
    list.KeepIf([&](std::size_t k) { return !drop[k]; });
    return true;
}

namespace {

// Clusters of the Rx-consensus that no single tree can hold together.
bool CheckNested(Reporter& reporter, const ClusterList& list, std::uint32_t limit, const AString& names) {
    for (std::size_t a = 0; a < list.size(); ++a) {
        if (list[a].RValue > limit) continue;
        for (std::size_t b = a + 1; b < list.size(); ++b) {
            if (list[b].RValue > limit) continue;
            bool shared = false, onlyA = false, onlyB = false;
            const auto& wa = list[a].Mask.Words();
            const auto& wb = list[b].Mask.Words();
            for (std::size_t w = 0; w < wa.size() && w < wb.size(); ++w) {
                shared = shared || (wa[w] & wb[w]) != 0;
                onlyA = onlyA || (wa[w] & ~wb[w]) != 0;
                onlyB = onlyB || (~wa[w] & wb[w]) != 0;
            }
            if (shared && onlyA && onlyB) {
                reporter.Error("Trees are inconsistent: the cluster " + Members(list[a].Mask, names) + " found at r= " +
                               UIntToStr(list[a].RValue) + " overlaps the cluster " + Members(list[b].Mask, names) +
                               " found at r= " + UIntToStr(list[b].RValue) + "; no Rx-consensus can hold both.");
                return false;
            }
        }
    }
    return true;
}

class Analysis {
public:
    Analysis(Reporter& reporter, const RSupportOptions& o, const RTreeSeries& series, RSupportResult& result)
        : reporter_(reporter), o_(o), series_(series), result_(result) {}

    // The consensus line of r, kept for the result.
    bool Consensus(std::uint32_t r, std::string& line) {
        AString trees;
        if (!series_(r, trees)) return false;
        if (!RConsensus(reporter_, UIntToStr(r), o_.RMRThreshold, trees, o_.RoundMode, line)) return false;
        result_.Evaluated.push_back(r);
        result_.ConsensusAtR.push_back(line);
        return true;
    }

    bool Run() {
        std::string first;
        std::string last;
        if (!Consensus(o_.RFrom, first) || !Consensus(o_.RTo, last)) return Fail("R-support analysis failed");
        ParsedTree tree;
        std::string reason;
        if (!ParseTreeLine(first, tree, reason)) return Fail("R-support analysis failed");
        AString names;
        TreeOTUNamesLabelled(tree, names);
        otus_ = OTUList(names);
        AddRValue(rlist_, o_.RFrom);
        AddRValue(rlist_, o_.RTo);
        if (!GetExtClusters(reporter_, first, otus_, list_) || !GetExtClusters(reporter_, last, otus_, list_))
            return Fail("R-support analysis failed");
        ThinRClusters(reporter_, list_);
        if (!AnyClusterAt(list_, o_.RTo)) rlist_[LastWithR(rlist_, o_.RTo)].Flag = o_.RFrom;

        std::uint32_t low = o_.RFrom;
        std::uint32_t high = o_.RTo;
        for (std::size_t steps = 0; steps < kMaxEvaluations; ++steps) {
            const std::uint32_t r = NextRValue(low, high);
            if (r == low || r == high) {
                RListEntry& end = rlist_[LastWithR(rlist_, r)];
                if (end.Next != 0) {
                    end.Flag = end.Next;
                } else {
                    end.Next = 999;
                    end.Flag = 999;
                }
            } else {
                std::string line;
                if (!Consensus(r, line)) return Fail("R-support analysis failed (w/i loop)");
                const std::size_t firstNew = list_.size();
                if (!GetExtClusters(reporter_, line, otus_, list_)) return Fail("R-support analysis failed (w/i loop)");
                if (!AddThinCLustersExt(reporter_, list_, firstNew, r)) return Fail("R-mem: AddThinCLustersExt Failed");
                AddRValue(rlist_, r);
                if (!AnyClusterAt(list_, r)) rlist_.back().Flag = low;
            }
            if (!RefineCheck(rlist_, o_.RPrecision, low, high)) return Finish();
        }
        return Fail("R-support: the refinement of the r values does not end");
    }

private:
    bool Fail(const std::string& message) {
        reporter_.Error(message);
        return false;
    }

    bool Finish() {
        const AString& names = otus_.Names();
        if (!CheckNested(reporter_, list_, o_.RxThreshold, names)) return false;
        TTrees t;
        t.RSupportMode = true;
        t.RSupportLimit = o_.RxThreshold;
        t.RLabelDecimals = o_.RPrecision;
        t.RLabel = "R";
        std::string text;
        if (!t.BuildConsensus(reporter_, list_, names, 1, text)) return false;
        AString& report = result_.Report;
        report.push_back("Clusters found during Rx-consensus construction:");
        for (std::string& line : OTUNumberRuler(names.size(), 4)) report.push_back(std::move(line));
        for (const TTrSetCluster& c : list_.Entries()) report.push_back(ClusterRowR(c));
        report.push_back("...where...");
        AString otuLines = OTUListText(names);
        report.insert(report.end(), otuLines.begin(), otuLines.end());
        result_.Clusters = list_.Entries();
        result_.Line = text;
        return true;
    }

    Reporter& reporter_;
    const RSupportOptions& o_;
    const RTreeSeries& series_;
    RSupportResult& result_;
    RList rlist_;
    ClusterList list_;
    OTUList otus_;
};

}  // namespace

bool RSupport(Reporter& reporter, const RSupportOptions& options, const RTreeSeries& series, RSupportResult& result) {
    result = RSupportResult{};
    if (options.RFrom < 1 || options.RFrom >= options.RTo) {
        reporter.Error("R-support needs 1 <= RFrom < RTo (now RFrom= " + UIntToStr(options.RFrom) +
                       ", RTo= " + UIntToStr(options.RTo) + ").");
        return false;
    }
    if (options.RMRThreshold < 50 || options.RMRThreshold > 100) {
        reporter.Error("R-support needs a majority rule threshold between 50 and 100 % (now " +
                       UIntToStr(options.RMRThreshold) + " %).");
        return false;
    }
    RSupportResult run;
    Analysis analysis(reporter, options, series, run);
    if (!analysis.Run()) {
        result.Evaluated = std::move(run.Evaluated);
        result.ConsensusAtR = std::move(run.ConsensusAtR);
        return false;
    }
    result = std::move(run);
    return true;
}

bool RSupport(Reporter& reporter, TPopGenDataSet& ds, const TreeSeriesOptions& base, const RSupportOptions& options,
              RandomStream& random, RSupportResult& result) {
    const RTreeSeries series = [&](std::uint32_t r, AString& trees) {
        TreeSeriesOptions o = base;
        o.Mode = Treatment::Average;
        o.Draws = r;
        return MultiAvgTrees(ds, o, random, trees);
    };
    return RSupport(reporter, options, series, result);
}
