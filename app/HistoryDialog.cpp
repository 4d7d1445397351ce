#include "app/HistoryDialog.h"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/TrendChart.h"
#include "engine/TestTable.h"
#include "history/HistoryStore.h"

namespace quorvane {

namespace {

constexpr int kRunIdRole = Qt::UserRole;
constexpr int kSortKeyRole = Qt::UserRole + 1;
constexpr int kDateColumn = 0;
constexpr int kMachineColumn = 1;
constexpr int kThreadsColumn = 2;
constexpr int kFirstTestColumn = 3;
constexpr int kDrivesColumn = kFirstTestColumn + kTestCount;
constexpr int kTrendHeight = 170;

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString LocalTime(std::int64_t timeUtc) {
  return QDateTime::fromSecsSinceEpoch(timeUtc).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString MachineText(const RunSummary& run) {
  return run.machineName.empty() ? QStringLiteral("(no name)")
                                 : QString::fromStdString(run.machineName);
}

// A cell sorted by a number (a cell without one, key -1, first), then by its run.
class NumberItem : public QTableWidgetItem {
 public:
  NumberItem(const QString& text, qint64 key, qint64 id) : QTableWidgetItem(text) {
    setData(kSortKeyRole, key);
    setData(kRunIdRole, id);
    setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
  bool operator<(const QTableWidgetItem& other) const override {
    return std::pair(data(kSortKeyRole).toLongLong(), data(kRunIdRole).toLongLong()) <
           std::pair(other.data(kSortKeyRole).toLongLong(), other.data(kRunIdRole).toLongLong());
  }
};

// A cell sorted by its text.
QTableWidgetItem* TextItem(const QString& text, qint64 id) {
  auto* item = new QTableWidgetItem(text);
  item->setData(kRunIdRole, id);
  return item;
}

}  // namespace

HistoryDialog::HistoryDialog(const std::filesystem::path& history, RunReader read,
                             QuestionAsker ask, QWidget* parent)
    : QDialog(parent),
      read_(std::move(read)),
      ask_(std::move(ask)),
      table_(new QTableWidget),
      trendTest_(new QComboBox),
      trend_(new TrendChart),
      status_(new QLabel),
      load_(new QPushButton(QStringLiteral("Load"))),
      compare_(new QPushButton(QStringLiteral("Compare"))),
      delete_(new QPushButton(QStringLiteral("Delete"))) {
  setWindowTitle(QStringLiteral("History of runs"));
  table_->setObjectName(QStringLiteral("runs"));
  trendTest_->setObjectName(QStringLiteral("trendTest"));
  trend_->setObjectName(QStringLiteral("trend"));
  status_->setObjectName(QStringLiteral("status"));
  status_->setTextFormat(Qt::PlainText);  // a file name is shown as it is
  status_->setWordWrap(true);
  load_->setObjectName(QStringLiteral("loadButton"));
  compare_->setObjectName(QStringLiteral("compareButton"));
  delete_->setObjectName(QStringLiteral("deleteButton"));
  auto* close = new QPushButton(QStringLiteral("Close"));
  close->setObjectName(QStringLiteral("closeButton"));

  QStringList headers = {QStringLiteral("Date"), QStringLiteral("Machine"),
                         QStringLiteral("Threads")};
  for (const TestInfo& test : kTestTable) {
    headers << Latin1(test.name);
    trendTest_->addItem(Latin1(test.name), QChar::fromLatin1(test.code));
  }
  headers << QStringLiteral("Drives");
  table_->setColumnCount(static_cast<int>(headers.size()));
  table_->setHorizontalHeaderLabels(headers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();

  auto* trendArea = new QScrollArea;
  trendArea->setWidget(trend_);
  trendArea->setWidgetResizable(true);
  trendArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  trendArea->setFixedHeight(kTrendHeight);
  auto* trendLine = new QHBoxLayout;
  auto* trendLabel = new QLabel(QStringLiteral("Trend on this machine of"));
  trendLabel->setBuddy(trendTest_);
  trendLine->addWidget(trendLabel);
  trendLine->addWidget(trendTest_);
  trendLine->addStretch(1);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {load_, compare_, delete_}) buttons->addWidget(button);
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(status_);
  layout->addWidget(table_, 1);
  layout->addLayout(trendLine);
  layout->addWidget(trendArea);
  layout->addLayout(buttons);

  connect(table_, &QTableWidget::currentCellChanged, this, [this] { ShowSelection(); });
  connect(trendTest_, &QComboBox::currentIndexChanged, this, [this] { ShowSelection(); });
  connect(load_, &QPushButton::clicked, this, [this] { ReadSelected(FileTarget::ThisMachine); });
  connect(compare_, &QPushButton::clicked, this,
          [this] { ReadSelected(FileTarget::OtherMachine); });
  connect(delete_, &QPushButton::clicked, this, [this] { DeleteSelected(); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  // Runs after a damaged history go to a file beside it: that is the one listed.
  std::string note;
  const std::filesystem::path file = HistoryFileFor(history, note);
  std::string error;
  store_ = HistoryStore::Open(file, false, error);
  where_ = QString::fromStdString(note.empty() ? file.string() : note);
  if (!store_) where_ = QString::fromStdString(error);
  Reload();
  resize(960, 560);
}

HistoryDialog::~HistoryDialog() = default;

QString HistoryDialog::statusText() const { return status_->text(); }

void HistoryDialog::Reload() {
  runs_.clear();
  if (store_) {
    std::string error;
    std::optional<std::vector<RunSummary>> runs = store_->List(error);
    if (runs) {
      runs_ = std::move(*runs);
      const QString count =
          runs_.size() == 1 ? QStringLiteral("1 run") : QStringLiteral("%1 runs").arg(runs_.size());
      status_->setText(QStringLiteral("%1 in the history %2").arg(count, where_));
    } else {
      status_->setText(QString::fromStdString(error));
    }
  } else {
    status_->setText(where_);
  }
  FillTable();
}

void HistoryDialog::FillTable() {
  table_->setSortingEnabled(false);
  table_->clearContents();
  table_->setRowCount(static_cast<int>(runs_.size()));
  for (int row = 0; row < static_cast<int>(runs_.size()); ++row) {
    const RunSummary& run = runs_[static_cast<std::size_t>(row)];
    const qint64 id = run.id;
    table_->setItem(row, kDateColumn,
                    new NumberItem(LocalTime(run.facts.timeUtc), run.facts.timeUtc, id));
    table_->item(row, kDateColumn)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table_->setItem(row, kMachineColumn, TextItem(MachineText(run), id));
    table_->setItem(row, kThreadsColumn,
                    new NumberItem(QString::number(run.facts.threads), run.facts.threads, id));
    for (int test = 0; test < kTestCount; ++test) {
      const char code = kTestTable[static_cast<std::size_t>(test)].code;
      const auto score = std::find_if(run.scores.begin(), run.scores.end(),
                                      [code](const RunScore& s) { return s.code == code; });
      table_->setItem(row, kFirstTestColumn + test,
                      score == run.scores.end()
                          ? new NumberItem(QString(), -1, id)
                          : new NumberItem(QString::number(score->value), score->value, id));
    }
    QStringList drives;
    for (const RunScore& score : run.scores) {
      if (StartsDriveBlock(score.code)) drives << QString(QChar::fromLatin1(score.code));
    }
    table_->setItem(row, kDrivesColumn, TextItem(drives.join(QStringLiteral(", ")), id));
  }
  table_->setSortingEnabled(true);
  table_->sortItems(kDateColumn, Qt::DescendingOrder);  // newest first
  table_->resizeColumnsToContents();
  if (!runs_.empty()) table_->selectRow(0);
  ShowSelection();
}

std::optional<std::int64_t> HistoryDialog::SelectedRun() const {
  const int row = table_->currentRow();
  const QTableWidgetItem* item = row < 0 ? nullptr : table_->item(row, kDateColumn);
  if (item == nullptr) return std::nullopt;
  return item->data(kRunIdRole).toLongLong();
}

bool HistoryDialog::SelectRun(std::int64_t id) {
  for (int row = 0; row < table_->rowCount(); ++row) {
    if (table_->item(row, kDateColumn)->data(kRunIdRole).toLongLong() == id) {
      table_->selectRow(row);
      return true;
    }
  }
  return false;
}

const RunSummary* HistoryDialog::SelectedSummary() const {
  const std::optional<std::int64_t> id = SelectedRun();
  if (!id) return nullptr;
  const auto found = std::find_if(runs_.begin(), runs_.end(),
                                  [&id](const RunSummary& run) { return run.id == *id; });
  return found == runs_.end() ? nullptr : &*found;
}

void HistoryDialog::ShowSelection() {
  const RunSummary* run = SelectedSummary();
  for (QPushButton* button : {load_, compare_, delete_}) button->setEnabled(run != nullptr);
  const char code = trendTest_->currentData().toChar().toLatin1();
  trend_->SetRows(run ? TrendRows(runs_, run->facts.machineIdentity, code) : std::vector<BarRow>());
}

void HistoryDialog::ReadSelected(FileTarget target) {
  const std::optional<std::int64_t> id = SelectedRun();
  if (!id || !store_) return;
  std::string error;
  const std::optional<RunRecord> record = store_->Find(*id, error);
  if (!record) {
    status_->setText(QString::fromStdString(error));
    return;
  }
  if (read_(record->resultFile, target, *id)) accept();
}

void HistoryDialog::DeleteSelected() {
  const RunSummary* run = SelectedSummary();
  if (run == nullptr || !store_) return;
  const QString question = QStringLiteral("Delete the run of %1 on %2 from the history?")
                               .arg(LocalTime(run->facts.timeUtc), MachineText(*run));
  if (!ask_(this, question, QStringLiteral("Quorvane"))) return;
  std::string error;
  if (!store_->Delete(run->id, error)) {
    status_->setText(QString::fromStdString(error));
    return;
  }
  Reload();
}

}  // namespace quorvane
