// The bottom panel with its buttons and gauges, and the string-analysis page.

#include "app/filter_grid.h"
#include "app/filter_table_model.h"
#include "app/main_window.h"
#include "app/text_codec.h"
#include "findings/node_images.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QLabel>
#include <QHeaderView>
#include <QProgressBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvinax {

using namespace Qt::StringLiterals;

namespace {

constexpr int kPanelHeight = 33;
constexpr int kButtonSize = 29;
constexpr int kMargin = 2;
constexpr int kExitGap = 5;

QToolButton* panelButton(QWidget* panel, const QString& name, QStyle::StandardPixmap icon, const QString& hint)
{
    auto* button = new QToolButton(panel);
    button->setObjectName(name);
    button->setAutoRaise(true);
    button->setIcon(panel->style()->standardIcon(icon));
    button->setToolTip(hint);
    button->setFixedSize(kButtonSize, kButtonSize);
    return button;
}

}  // namespace

QWidget* MainWindow::createBottomPanel()
{
    Panel1 = new QWidget(this);
    Panel1->setObjectName(u"Panel1"_s);
    Panel1->setFixedHeight(kPanelHeight);
    ToolbarButton971 = panelButton(Panel1, u"ToolbarButton971"_s, QStyle::SP_MediaPlay, u"Запустить проверку"_s);
    BitBtn2 = panelButton(Panel1, u"BitBtn2"_s, QStyle::SP_DialogSaveButton, u"Сохранить... "_s);
    BitBtn1 = panelButton(Panel1, u"BitBtn1"_s, QStyle::SP_DialogCloseButton, u"Сохранить и выйти"_s);
    BitBtn2->hide();
    connect(ToolbarButton971, &QToolButton::clicked, this, &MainWindow::ToolbarButton971Click);
    connect(BitBtn2, &QToolButton::clicked, this, &MainWindow::BitBtn2Click);
    connect(BitBtn1, &QToolButton::clicked, this, &MainWindow::BitBtn1Click);
    for (QProgressBar** gauge : {&Gauge1, &Gauge2}) {
        *gauge = new QProgressBar(Panel1);
        (*gauge)->setObjectName(gauge == &Gauge1 ? u"Gauge1"_s : u"Gauge2"_s);
        (*gauge)->setRange(-1, 0);
        (*gauge)->setValue(0);
        (*gauge)->setTextVisible(false);
        QPalette colours = (*gauge)->palette();
        colours.setColor(QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
        (*gauge)->setPalette(colours);
        (*gauge)->hide();
    }
    ToolbarButton971->move(kMargin, kMargin);
    BitBtn2->move(kMargin + kButtonSize + kMargin, kMargin);
    Panel1->installEventFilter(this);
    return Panel1;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel1 && event->type() == QEvent::Resize)
        Panel1Resize();
    return QMainWindow::eventFilter(watched, event);
}

// The exit button keeps 5 pixels from the right edge; the gauges take the room between.
void MainWindow::Panel1Resize()
{
    BitBtn1->move(Panel1->width() - BitBtn1->width() - kExitGap, kMargin);
    int left = kMargin + kButtonSize + kMargin;
    if (BitBtn2->isVisibleTo(Panel1))
        left = BitBtn2->x() + kButtonSize + kMargin;
    left += 4 * kMargin;
    const int width = std::max(BitBtn1->x() - 4 * kMargin - left, 10);
    const int height = (kPanelHeight - 3 * kMargin) / 2;
    Gauge1->setGeometry(left, kMargin, width, height);
    Gauge2->setGeometry(left, 2 * kMargin + height, width, height);
}

void MainWindow::hideStartButton()
{
    ToolbarButton971->hide();
}

// After a run the save button takes the start button's place.
void MainWindow::showSaveButton()
{
    placeSaveButton();
    BitBtn2->show();
    Panel1Resize();
}

// In the start button's place while that is hidden, else at its own place right of it.
void MainWindow::placeSaveButton()
{
    const int x = ToolbarButton971->isVisibleTo(Panel1) ? ToolbarButton971->x() + kButtonSize + kMargin
                                                         : ToolbarButton971->x();
    BitBtn2->move(x, kMargin);
}

void MainWindow::showGauges(bool visible)
{
    Gauge1->setVisible(visible);
    Gauge2->setVisible(visible);
}

// During a run: how far it got; afterwards: what the tree holds.
void MainWindow::updateStatusLine()
{
    if (m_runner.running()) {
        m_statusText->setText(u"Проверка: отчёт %1 из %2, каталог %3 из %4"_s.arg(Gauge1->value() + 1)
                                  .arg(Gauge1->maximum() + 1)
                                  .arg(Gauge2->value() + 1)
                                  .arg(std::max(static_cast<int>(m_settings.checkDirs.size()), 1)));
        return;
    }
    int computers = 0;
    for (const auto& top : m_tree.topLevel()) {
        for (const auto& child : top->children())
            computers += child->imageIndex == kImageComputer;
    }
    const CheckRunner::Outcome& last = m_runner.lastOutcome();
    QString text = u"Компьютеров с изменениями: %1"_s.arg(computers);
    if (last.ran)
        text += u", в последней проверке: %1"_s.arg(last.violators);
    if (last.stoppedByPerson)
        text += u" (проверка прервана)"_s;
    m_statusText->setText(text);
}

void MainWindow::setGauge(Gauge gauge, int maximum, int position)
{
    QProgressBar* bar = gauge == Gauge::Reports ? Gauge1 : Gauge2;
    // Setting a value makes the bar compose its text to see whether it must be redrawn: a bar that
    // cannot be seen (the window of an unattended run is never shown) is left alone.
    if (!bar->isVisible())
        return;
    bar->setRange(-1, std::max(maximum, -1));
    bar->setValue(position);
    updateStatusLine();
}

QWidget* MainWindow::createAnalysisPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(u"TabSheet3"_s);
    m_filterModel = new FilterTableModel(m_settings.filters, this);
    DBGrid1 = new FilterGrid(page);
    DBGrid1->setObjectName(u"DBGrid1"_s);
    DBGrid1->setModel(m_filterModel);
    DBGrid1->setColumnWidth(FilterTableModel::TextColumn, 606);
    DBGrid1->setColumnWidth(FilterTableModel::ModeColumn, 160);
    DBGrid1->setConfirmDeletion([this](const QString& text) {
        return askYesNo(toCp1251(u"Удалить строку \u00AB"_s + text + u"\u00BB?"_s), false, Question::Confirmation);
    });
    auto* insert = new QPushButton(u"&Вставить строку"_s, page);
    insert->setObjectName(u"InsertRowButton"_s);
    insert->setToolTip(u"Новая строка перед текущей (Insert); стрелка вниз на последней строке - в конце"_s);
    auto* remove = new QPushButton(u"Уд&алить строку"_s, page);
    remove->setObjectName(u"DeleteRowButton"_s);
    remove->setToolTip(u"Удалить текущую строку (Ctrl+Del)"_s);
    connect(insert, &QPushButton::clicked, DBGrid1, [this] {
        DBGrid1->setFocus();
        DBGrid1->insertRowBeforeCurrent();
    });
    connect(remove, &QPushButton::clicked, DBGrid1, [this] {
        DBGrid1->setFocus();
        DBGrid1->deleteCurrentRow();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(insert);
    buttons->addWidget(remove);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(buttons);
    return page;
}

}  // namespace corvinax
