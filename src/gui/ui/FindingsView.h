#pragma once
// What the windows that walk a library or a backup share: the stage and
// the bar while the walk runs, the table of findings counted by kind, and
// the report.
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTableWidget>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Shows the stage and how far it got (total 0: a busy bar), and repaints.
void ShowWalkProgress(QLabel& label, QProgressBar& bar, const std::string& stage, std::int64_t done,
                      std::int64_t total);

// The report: read-only, its lines wrapped to the window, named `Text1`.
QPlainTextEdit* MakeReportView(QWidget* parent);

// A table of two columns, "Finding" and "Count", named `lstCounts`.
QTableWidget* MakeFindingsTable(QWidget* parent);
// Its rows: each kind found with its count, in the given order.
void ShowFindingCounts(QTableWidget& table, const std::vector<std::pair<std::string, std::int64_t>>& counts);
