#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// One line of the benchmark's table: a figure, the reference measured in the
// same run (so the ratio holds on a noisy machine), and the target it answers.
struct BenchRow {
    std::string Figure;          // what was measured, e.g. "start to first frame"
    double Median = 0;           // median of the runs
    std::string Unit;            // "ms", "MB", ...
    std::string Reference;       // what it is compared with, empty when nothing
    double ReferenceMedian = 0;  // the reference's median, same unit
    std::string Target;          // e.g. "<= 0.4 x stock", empty when none
    std::optional<bool> Met;     // whether the target holds, when there is one
    std::string Note;            // runs, spread, sizes...
};

// The table the benchmark prints, section by section.
class BenchTable {
public:
    void Section(std::string title) {
        BenchRow row;
        row.Figure = "## " + std::move(title);
        rows_.push_back(std::move(row));
    }
    void Add(BenchRow row) { rows_.push_back(std::move(row)); }
    const std::vector<BenchRow>& Rows() const { return rows_; }

    // Markdown, ready for the README.
    void Print(std::FILE* out = stdout) const {
        bool header = false;
        for (const BenchRow& r : rows_) {
            if (r.Figure.rfind("## ", 0) == 0) {
                std::fprintf(out, "\n%s\n\n", r.Figure.c_str() + 3);
                header = false;
                continue;
            }
            if (!header) {
                std::fprintf(out,
                             "| Figure | Median | Reference | Ratio | Target | Met | Note |\n");
                std::fprintf(out, "|---|---|---|---|---|---|---|\n");
                header = true;
            }
            std::string ratio = "", reference = "";
            if (!r.Reference.empty()) {
                char buffer[128];
                std::snprintf(buffer, sizeof buffer, "%s: %.1f %s", r.Reference.c_str(),
                              r.ReferenceMedian, r.Unit.c_str());
                reference = buffer;
                if (r.ReferenceMedian > 0) {
                    std::snprintf(buffer, sizeof buffer, "%.2f", r.Median / r.ReferenceMedian);
                    ratio = buffer;
                }
            }
            std::fprintf(out, "| %s | %.1f %s | %s | %s | %s | %s | %s |\n", r.Figure.c_str(),
                         r.Median, r.Unit.c_str(), reference.c_str(), ratio.c_str(),
                         r.Target.c_str(), r.Met ? (*r.Met ? "yes" : "no") : "", r.Note.c_str());
        }
    }

private:
    std::vector<BenchRow> rows_;
};
