#include "gui/ui/FindingsView.h"

#include <QApplication>
#include <QHeaderView>

#include <algorithm>

namespace {
int Bar(std::int64_t v) { return static_cast<int>(std::min<std::int64_t>(v, INT32_MAX)); }
} // namespace

void ShowWalkProgress(QLabel& label, QProgressBar& bar, const std::string& stage, std::int64_t done, std::int64_t total)
{
    label.setText(QString::fromStdString(stage + " ..."));
    // A maximum of 0 shows a busy bar while the total is unknown.
    bar.setMaximum(Bar(total));
    bar.setValue(Bar(std::min(done, total)));
    QApplication::processEvents();
}

QPlainTextEdit* MakeReportView(QWidget* parent)
{
    auto* text = new QPlainTextEdit(parent);
    text->setObjectName("Text1");
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    return text;
}

QTableWidget* MakeFindingsTable(QWidget* parent)
{
    auto* table = new QTableWidget(0, 2, parent);
    table->setObjectName("lstCounts");
    table->setHorizontalHeaderLabels({"Finding", "Count"});
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return table;
}

void ShowFindingCounts(QTableWidget& table, const std::vector<std::pair<std::string, std::int64_t>>& counts)
{
    table.setRowCount(0);
    for (const auto& [title, n] : counts) {
        if (n == 0) continue;
        const int row = table.rowCount();
        table.insertRow(row);
        auto* count = new QTableWidgetItem(QString::number(n));
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table.setItem(row, 0, new QTableWidgetItem(QString::fromStdString(title)));
        table.setItem(row, 1, count);
    }
}
