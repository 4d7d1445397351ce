// The chart view, driven headless by its commands: what the grabbed window shows (bars in
// proportion to the percents, the 100 percent line, the rows of this machine alone without a
// bar, the totals, nothing without results), that it follows the window's size and palette and
// gives way to the description view, and that the saved picture is what is shown.
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "app/CMainFrame.h"
#include "app/ChartView.h"
#include "app/CommandIds.h"
#include "app/ReportView.h"
#include "dialogs/CDescriptionDlg.h"
#include "engine/TestRunner.h"
#include "report/Report.h"

using namespace quorvane;

namespace {

const QColor kBase(255, 255, 255);
const QColor kText(0, 0, 0);
const QColor kBar(200, 0, 0);

// One bar found in the picture: its rows and its columns.
struct Bar {
  int top;
  int bottom;
  int left;
  int right;  // one past the last column
  int length() const { return right - left; }
};

// The bars of a picture: bands of rows holding bar-coloured pixels, top to bottom.
QList<Bar> BarsIn(const QImage& image) {
  QList<Bar> bars;
  bool inBar = false;
  for (int y = 0; y < image.height(); ++y) {
    int left = -1;
    int right = -1;
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y) == kBar) {
        if (left < 0) left = x;
        right = x + 1;
      }
    }
    if (left >= 0 && !inBar) bars.append({y, y + 1, left, right});
    if (left >= 0) {
      bars.back().bottom = y + 1;
      bars.back().right = std::max(bars.back().right, right);
    }
    inBar = left >= 0;
  }
  return bars;
}

// The column holding the longest vertical run of text-coloured pixels, and that run's length.
std::pair<int, int> LongestTextColumn(const QImage& image) {
  std::pair<int, int> best{-1, 0};
  for (int x = 0; x < image.width(); ++x) {
    int run = 0;
    for (int y = 0; y < image.height(); ++y) {
      run = image.pixelColor(x, y) == kText ? run + 1 : 0;
      if (run > best.second) best = {x, run};
    }
  }
  return best;
}

QImage Shown(CMainFrame& frame) {
  return frame.chartView()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class ChartViewTest : public QObject {
  Q_OBJECT

 private:
  struct Setup {
    std::unique_ptr<BenchmarkState> state = std::make_unique<BenchmarkState>();
    CDescriptionDlg dialog{*state};
    TestRunner runner;
    std::unique_ptr<CMainFrame> frame;
    QStringList messages;

    Setup() {
      std::array<bool, 26> drives{};
      frame = std::make_unique<CMainFrame>(*state, dialog, runner, drives);
      frame->SetMessageShower([this](QWidget*, const QString& text, const QString&) { messages << text; });
      QPalette palette = frame->palette();
      palette.setColor(QPalette::Base, kBase);
      palette.setColor(QPalette::Text, kText);
      palette.setColor(QPalette::Highlight, kBar);
      frame->setPalette(palette);
      frame->resize(700, 400);
      frame->show();
    }
    // Dhrystone at 150 percent, Whetstone at 50, Eight queens measured here only.
    void Compare() {
      SetRow(state->thisResults[0], 'd', 1500);
      SetRow(state->thisResults[1], 'w', 500);
      SetRow(state->thisResults[2], 'q', 777);
      SetRow(state->otherResults[0], 'd', 1000);
      SetRow(state->otherResults[1], 'w', 1000);
      BuildReport(*state);
      frame->ShowReport();
    }
  };

 private slots:
  void withoutResultsNothingIsDrawnAndTheCommandSwitchesViews() {
    Setup s;
    QVERIFY(!s.frame->ChartShown());
    s.frame->TriggerCommand(command::kShowChart);
    QVERIFY(s.frame->ChartShown());
    QVERIFY(s.frame->ActionFor(command::kShowChart)->isChecked());
    QVERIFY(s.frame->chartView()->isVisible());
    QVERIFY(!s.frame->reportView()->isVisible());
    const QImage empty = Shown(*s.frame);
    QVERIFY(empty.width() > 600);
    for (int y = 0; y < empty.height(); ++y) {
      for (int x = 0; x < empty.width(); ++x) QCOMPARE(empty.pixelColor(x, y), kBase);
    }
    // Loaded from the description view, it gives way to the description and back.
    s.frame->TriggerCommand(command::kShowDescription);
    QVERIFY(!s.frame->ChartShown());
    QVERIFY(!s.frame->ActionFor(command::kShowChart)->isChecked());
    QVERIFY(s.state->descriptionShown);
    QVERIFY(s.frame->reportView()->isVisible());
    s.frame->TriggerCommand(command::kShowChart);
    QVERIFY(s.frame->ChartShown());
    s.frame->TriggerCommand(command::kShowChart);
    QVERIFY(!s.frame->ChartShown());
  }

  void barsFollowThePercentsTheWindowsWidthAndThePalette() {
    Setup s;
    s.Compare();
    s.frame->TriggerCommand(command::kShowChart);
    for (int width : {700, 1000}) {
      s.frame->resize(width, 400);
      const QImage image = Shown(*s.frame);
      if (!qEnvironmentVariableIsEmpty("QUORVANE_GRAB")) image.save(qEnvironmentVariable("QUORVANE_GRAB"));
      // Dhrystone 150, Whetstone 50, then Total CPU 150, Total FPU 50, Average 100 and
      // Application Performance 142; the queens row has no bar.
      const QList<Bar> bars = BarsIn(image);
      QCOMPARE(bars.size(), 6);
      const int percents[] = {150, 50, 150, 50, 100, 142};
      const double perPercent = bars[0].length() / 150.0;
      QVERIFY(bars[0].length() > (width - 300) / 2);  // the widest bar uses the width
      for (int i = 0; i < bars.size(); ++i) {
        QCOMPARE(bars[i].left, bars[0].left);
        QVERIFY2(std::abs(bars[i].length() - percents[i] * perPercent) <= 1.0,
                 qPrintable(QStringLiteral("bar %1 is %2 pixels").arg(i).arg(bars[i].length())));
        QCOMPARE(bars[i].bottom - bars[i].top, ChartView::kBarHeight);
      }
      // The totals stand apart from the tests, below the queens row.
      QVERIFY(bars[2].top - bars[1].top > 2 * ChartView::kRowHeight);
      // The comparison's line at 100 percent runs past every bar.
      const auto [lineX, lineLength] = LongestTextColumn(image);
      QVERIFY(std::abs(lineX - (bars[0].left + 100 * perPercent)) <= 1.0);
      QVERIFY(lineLength >= bars.back().bottom - bars[0].top);
    }
    // Another palette: the bars take its highlight colour.
    QPalette palette = s.frame->palette();
    palette.setColor(QPalette::Highlight, QColor(0, 0, 200));
    s.frame->setPalette(palette);
    const QImage blue = Shown(*s.frame);
    QVERIFY(BarsIn(blue).isEmpty());
    int bluePixels = 0;
    for (int y = 0; y < blue.height(); ++y) {
      for (int x = 0; x < blue.width(); ++x) bluePixels += blue.pixelColor(x, y) == QColor(0, 0, 200);
    }
    QVERIFY(bluePixels >= 6 * ChartView::kBarHeight * 10);
  }

  void theSavedPictureIsWhatIsShown() {
    QTemporaryDir folder;
    Setup s;
    s.Compare();
    QString answer = folder.filePath(QStringLiteral("chart.png"));
    QList<FileDialogKind> asked;
    s.frame->SetFileChooser([&](QWidget*, FileDialogKind kind) {
      asked << kind;
      return answer;
    });
    // From the report, the command shows the chart first.
    s.frame->TriggerCommand(command::kSaveChart);
    QCOMPARE(asked, QList<FileDialogKind>{FileDialogKind::ChartPicture});
    QVERIFY(s.frame->ChartShown());
    QImage saved(answer);
    QVERIFY(!saved.isNull());
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), Shown(*s.frame));
    QCOMPARE(BarsIn(saved).size(), 6);
    QVERIFY(s.messages.isEmpty());

    // Cancelled: nothing written; a folder that does not exist: a message, nothing left.
    answer.clear();
    s.frame->TriggerCommand(command::kSaveChart);
    QVERIFY(s.messages.isEmpty());
    answer = folder.filePath(QStringLiteral("no/such/chart.png"));
    s.frame->TriggerCommand(command::kSaveChart);
    QCOMPARE(s.messages.size(), 1);
    QVERIFY(s.messages[0].contains(answer));
    QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{QStringLiteral("chart.png")});
    QCOMPARE(FormOf(FileDialogKind::ChartPicture).filters, QStringList{QStringLiteral("PNG pictures (*.png)")});
  }
};

QTEST_MAIN(ChartViewTest)
#include "test_chart_view.moc"
