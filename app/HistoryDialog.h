// The History dialog (File > "History..."): the runs recorded in the history, newest first, one
// row each with its local date and time, machine, threads, each test's score and its drives,
// sortable by any column. Load and Compare read the selected run as Load... and Compare... read
// the file saved right after it, and close the dialog; Delete removes the run after asking. A
// trend chart shows the chosen test over the runs of the selected run's machine. The history is
// opened and read on the user-interface thread when the dialog is made (at most the store's
// wait for another program's lock); a history that is missing or cannot be read leaves the
// list empty and says why in the dialog. User-interface thread only.
#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "history/RunRecord.h"
#include "report/ResultFile.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace quorvane {

class HistoryStore;
class TrendChart;

class HistoryDialog : public QDialog {
  Q_OBJECT

 public:
  // Reads the result file of run `id` into the target's tables; true when it was read (the
  // dialog then closes). The reader shows its own failure.
  using RunReader =
      std::function<bool(const std::string& resultFile, FileTarget target, std::int64_t id)>;
  // Asks a yes/no question; true for Yes.
  using QuestionAsker =
      std::function<bool(QWidget* owner, const QString& text, const QString& caption)>;

  HistoryDialog(const std::filesystem::path& history, RunReader read, QuestionAsker ask,
                QWidget* parent);
  ~HistoryDialog() override;

  // The id of the run in the current row, if any.
  std::optional<std::int64_t> SelectedRun() const;
  // Makes the run `id` the current row; false when it is not listed.
  bool SelectRun(std::int64_t id);

  QTableWidget* table() const { return table_; }
  TrendChart* trendChart() const { return trend_; }
  QString statusText() const;

 private:
  void Reload();
  void FillTable();
  void ShowSelection();
  void ReadSelected(FileTarget target);
  void DeleteSelected();
  const RunSummary* SelectedSummary() const;

  RunReader read_;
  QuestionAsker ask_;
  std::unique_ptr<HistoryStore> store_;
  std::vector<RunSummary> runs_;
  QString where_;  // the line on the history above the list, when it could be read
  QTableWidget* table_;
  QComboBox* trendTest_;
  TrendChart* trend_;
  QLabel* status_;
  QPushButton* load_;
  QPushButton* compare_;
  QPushButton* delete_;
};

}  // namespace quorvane
