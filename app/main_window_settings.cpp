// The settings page: its controls, their binding to the settings object, the enabling rules and
// the directory list.

#include "app/day_spin_box.h"
#include "app/desktop_services.h"
#include "app/filter_table_model.h"
#include "app/image_list.h"
#include "app/main_window.h"
#include "app/path_edit.h"
#include "app/text_codec.h"
#include "findings/node_images.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvinax {

using namespace Qt::StringLiterals;

namespace {

QCheckBox* checkBox(QWidget* parent, const QString& name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

template <typename Widget>
Widget* named(Widget* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

}  // namespace

QUrl productPage()
{
    const QString programDirectory = QCoreApplication::applicationDirPath();
    for (const QString& candidate : QStringList{programDirectory + u"/doc/index.html"_s,
                                                programDirectory + u"/../share/doc/corvinax/index.html"_s}) {
        if (QFileInfo::exists(candidate))
            return QUrl::fromLocalFile(QFileInfo(candidate).canonicalFilePath());
    }
    return QUrl::fromLocalFile(u"/usr/share/doc/corvinax/index.html"_s);
}

// The page scrolls where the screen is too small for it (a 4K laptop at twice the scale), so that
// the window never needs more room than the screen has.
QWidget* MainWindow::createSettingsPage()
{
    auto* scroll = named(new QScrollArea(this), u"TabSheet2"_s);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* page = new QWidget(scroll);
    auto* layout = new QHBoxLayout(page);
    ListBox1 = named(new QListWidget(page), u"ListBox1"_s);
    ListBox1->setMinimumHeight(80);
    layout->addWidget(ListBox1, 417);
    layout->addWidget(createOptionsColumn(page), 402);
    scroll->setWidget(page);
    return scroll;
}

QWidget* MainWindow::createOptionsColumn(QWidget* page)
{
    const QString home = fromCp1251(m_options.defaults.browseFolder);
    auto* column = new QWidget(page);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    layout->addWidget(createLinkBox(column));

    layout->addWidget(new QLabel(u"Проверять файлы в каталогах :"_s, column));
    DirectoryEdit1 = named(new PathEdit(PathEdit::Kind::Directory, m_desktop, QString(), column), u"DirectoryEdit1"_s);
    DirectoryEdit1->setText(home);
    layout->addWidget(DirectoryEdit1);
    auto* buttons = new QHBoxLayout;
    auto* button1 = named(new QPushButton(u"< &Добавить"_s, column), u"Button1"_s);
    auto* button2 = named(new QPushButton(u"&Удалить >"_s, column), u"Button2"_s);
    m_addButton = button1;
    connect(button1, &QPushButton::clicked, this, &MainWindow::Button1Click);
    connect(button2, &QPushButton::clicked, this, &MainWindow::Button2Click);
    // A blank field adds nothing: the button waits for a name, and Enter in the field adds it.
    const auto blank = [this] { return DirectoryEdit1->text().trimmed().isEmpty(); };
    connect(DirectoryEdit1, &PathEdit::textChanged, this, [button1, blank] { button1->setEnabled(!blank()); });
    button1->setEnabled(!blank());
    connect(DirectoryEdit1->lineEdit(), &QLineEdit::returnPressed, this, &MainWindow::Button1Click);
    buttons->addWidget(button1);
    buttons->addWidget(button2);
    layout->addLayout(buttons);

    CheckBox6 = checkBox(column, u"CheckBox6"_s, u"Автозапуск проверки при старте программы"_s);
    CheckBox1 = checkBox(column, u"CheckBox1"_s, u"Завершать работу, если не было нарушений"_s);
    CheckBox2 = checkBox(column, u"CheckBox2"_s, u"Разворачивать результаты проверки"_s);
    CheckBox3 = checkBox(column, u"CheckBox3"_s, u"Работа в фоновом режиме"_s);
    CheckBox7 = checkBox(column, u"CheckBox7"_s, u"Не проверять подпись файла"_s);
    CheckBox4Del = checkBox(column, u"CheckBox4Del"_s, u"Удалять файлы с последним изменением старше"_s);
    for (QCheckBox* box : {CheckBox6, CheckBox1, CheckBox2, CheckBox3, CheckBox7, CheckBox4Del})
        layout->addWidget(box);

    auto* age = new QHBoxLayout;
    SpinEdit1 = named(new DaySpinBox(column), u"SpinEdit1"_s);
    Label5 = named(new QLabel(u"дней"_s, column), u"Label5"_s);
    CheckBox4Del1 = checkBox(column, u"CheckBox4Del1"_s, u"без предупреждения"_s);
    age->addWidget(SpinEdit1);
    age->addWidget(Label5);
    age->addWidget(CheckBox4Del1);
    age->addStretch();
    layout->addLayout(age);
    CheckBox4Del2 = checkBox(column, u"CheckBox4Del2"_s, u"скопировав в :"_s);
    CopyDir = named(new PathEdit(PathEdit::Kind::Directory, m_desktop, QString(), column), u"CopyDir"_s);
    auto* copy = new QHBoxLayout;
    copy->addWidget(CheckBox4Del2);
    copy->addWidget(CopyDir, 1);
    layout->addLayout(copy);

    layout->addWidget(named(new QLabel(u"Записывать протокол проверки в:"_s, column), u"Label2"_s));
    FilenameEdit1 = named(new PathEdit(PathEdit::Kind::File, m_desktop, home, column), u"FilenameEdit1"_s);
    FilenameEdit1->setFileDialog(u"Записывать протокол в..."_s, u"Протоколы работы|*.log|Все файлы (*)|*"_s,
                                 u"log"_s);
    layout->addWidget(FilenameEdit1);
    layout->addWidget(named(new QLabel(u"Расположение файла Smart :"_s, column), u"Label6"_s));
    FilenameEdit2 = named(new PathEdit(PathEdit::Kind::File, m_desktop, home, column), u"FilenameEdit2"_s);
    FilenameEdit2->setFileDialog(u"Расположение файла Smart :"_s, u"Файл Smart|Smart|Все файлы (*)|*"_s, QString());
    layout->addWidget(FilenameEdit2);

    CheckBox4 = checkBox(column, u"CheckBox4"_s, u"Перед обработкой копировать файлы в каталог :"_s);
    layout->addWidget(CheckBox4);
    DirectoryEdit2 = named(new PathEdit(PathEdit::Kind::Directory, m_desktop, home, column), u"DirectoryEdit2"_s);
    DirectoryEdit2->setToolTip(u"Для ускорения работы укажите ЛОКАЛЬНЫЙ каталог"_s);
    layout->addWidget(DirectoryEdit2);

    auto* mapping = new QHBoxLayout;
    CheckBox5 = checkBox(column, u"CheckBox5"_s, u"Пути с \"\\\\\" маппировать как диск"_s);
    ComboBox1 = named(new QComboBox(column), u"ComboBox1"_s);
    mapping->addWidget(CheckBox5);
    mapping->addWidget(ComboBox1);
    mapping->addStretch();
    layout->addLayout(mapping);

    // The account for check directories on Windows shares: here there are no drive mappings, so
    // these are what the SMB client connects with, whether or not the box above is ticked.
    Label3 = named(new QLabel(u"Login"_s, column), u"Label3"_s);
    LoginName = named(new QLineEdit(column), u"LoginName"_s);
    Label7 = named(new QLabel(u"Password"_s, column), u"Label7"_s);
    Password = named(new QLineEdit(column), u"Password"_s);
    Password->setEchoMode(QLineEdit::Password);
    const QString accountHint = u"Учётная запись для каталогов \\\\СЕРВЕР\\ресурс (можно ДОМЕН\\имя);\n"
                                u"без неё - билет Kerberos, затем гостевой вход"_s;
    auto* account = new QHBoxLayout;
    for (QWidget* widget : std::initializer_list<QWidget*>{Label3, LoginName, Label7, Password}) {
        widget->setToolTip(accountHint);
        account->addWidget(widget);
    }
    layout->addLayout(account);
    layout->addStretch();
    return column;
}

QWidget* MainWindow::createLinkBox(QWidget* parent)
{
    auto* box = named(new QFrame(parent), u"Panel2"_s);
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setLineWidth(2);
    auto* image = named(new QLabel(box), u"Image1"_s);
    image->setPixmap(nodeImage(kImageDirectory));
    image->setAlignment(Qt::AlignCenter);
    auto* text = named(new QLabel(u"Программа контроля за компьютерами\nв Вашей локальной сети. Подробнее -"_s, box),
                       u"Label4"_s);
    text->setEnabled(false);
    text->setAlignment(Qt::AlignCenter);
    RxLabel1 = named(new QLabel(box), u"RxLabel1"_s);
    RxLabel1->setText(u"<a href=\"#\">"_s + productPage().toString() + u"</a>"_s);
    RxLabel1->setAlignment(Qt::AlignCenter);
    RxLabel1->setCursor(Qt::PointingHandCursor);
    // Reached with Tab and opened with Enter, as a button would be.
    RxLabel1->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    RxLabel1->setFocusPolicy(Qt::StrongFocus);
    connect(RxLabel1, &QLabel::linkActivated, this, &MainWindow::RxLabel1Click);
    auto* texts = new QVBoxLayout;
    texts->addWidget(text);
    texts->addWidget(RxLabel1);
    auto* layout = new QHBoxLayout(box);
    layout->addWidget(image);
    layout->addLayout(texts, 1);
    return box;
}

void MainWindow::loadControls()
{
    const Settings& s = m_settings;
    ListBox1->clear();
    for (const CheckDirectory& directory : s.checkDirs)
        ListBox1->addItem(fromCp1251(directory.path));
    CheckBox1->setChecked(s.closeIfAllOk);
    CheckBox2->setChecked(s.expandTree);
    CheckBox3->setChecked(s.lowPriority);
    CheckBox4->setChecked(s.useWorkDir);
    CheckBox5->setChecked(s.mapWorkDrive);
    CheckBox7->setChecked(s.noSignatureCheck);
    ComboBox1->clear();
    for (char drive = 'A'; drive <= 'Z'; ++drive)
        ComboBox1->addItem(QString(QLatin1Char(drive)) + u':');
    ComboBox1->setCurrentIndex(s.workDrive);
    LoginName->setText(fromCp1251(s.login));
    Password->setText(fromCp1251(s.password));
    CheckBox6->setChecked(s.autoRun);
    DirectoryEdit2->setText(fromCp1251(s.workDir));
    FilenameEdit1->setText(fromCp1251(s.logFileName));
    FilenameEdit2->setText(fromCp1251(s.smartFile));
    CheckBox4Del->setChecked(s.deleteOld);
    SpinEdit1->setValue(s.deleteOldValue);
    CheckBox4Del1->setChecked(s.deleteOldSilence);
    CheckBox4Del2->setChecked(s.deleteOldCopy);
    CopyDir->setText(fromCp1251(s.deleteOldCopyPath));
    m_filterModel->reload();
}

// The controls keep the settings object current, so that a run reads every option as it stands.
void MainWindow::bindControls()
{
    auto bindFlag = [this](QCheckBox* box, bool Settings::*flag) {
        connect(box, &QCheckBox::toggled, this, [this, flag](bool on) { m_settings.*flag = on; });
    };
    bindFlag(CheckBox1, &Settings::closeIfAllOk);
    bindFlag(CheckBox2, &Settings::expandTree);
    bindFlag(CheckBox3, &Settings::lowPriority);
    bindFlag(CheckBox4, &Settings::useWorkDir);
    bindFlag(CheckBox5, &Settings::mapWorkDrive);
    bindFlag(CheckBox6, &Settings::autoRun);
    bindFlag(CheckBox7, &Settings::noSignatureCheck);
    bindFlag(CheckBox4Del, &Settings::deleteOld);
    bindFlag(CheckBox4Del1, &Settings::deleteOldSilence);
    bindFlag(CheckBox4Del2, &Settings::deleteOldCopy);
    auto bindText = [this](PathEdit* edit, std::string Settings::*text) {
        connect(edit, &PathEdit::textChanged, this, [this, text](const QString& value) { m_settings.*text = toCp1251(value); });
    };
    bindText(DirectoryEdit2, &Settings::workDir);
    bindText(FilenameEdit1, &Settings::logFileName);
    bindText(FilenameEdit2, &Settings::smartFile);
    bindText(CopyDir, &Settings::deleteOldCopyPath);
    connect(LoginName, &QLineEdit::textChanged, this, [this](const QString& value) { m_settings.login = toCp1251(value); });
    connect(Password, &QLineEdit::textChanged, this, [this](const QString& value) { m_settings.password = toCp1251(value); });
    connect(Password, &QLineEdit::textEdited, this, &MainWindow::PasswordChange);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, [this](int days) { m_settings.deleteOldValue = days; });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this](int index) { m_settings.workDrive = index; });

    connect(CheckBox4Del, &QCheckBox::clicked, this, &MainWindow::CheckBox4DelClick);
    connect(CheckBox4Del2, &QCheckBox::clicked, this, &MainWindow::CheckBox4Del2Click);
    connect(CheckBox5, &QCheckBox::clicked, this, &MainWindow::CheckBox5Click);
    connect(CheckBox6, &QCheckBox::clicked, this, &MainWindow::CheckBox6Click);
}

void MainWindow::setEnabledAndColoured(QWidget* widget, bool enabled)
{
    widget->setEnabled(enabled);
    QPalette colours = widget->palette();
    colours.setColor(QPalette::Base, QApplication::palette().color(enabled ? QPalette::Base : QPalette::Button));
    widget->setPalette(colours);
}

void MainWindow::CheckBox4DelClick()
{
    const bool on = CheckBox4Del->isChecked();
    CheckBox4Del1->setEnabled(on);
    CheckBox4Del2->setEnabled(on);
    Label5->setEnabled(on);
    setEnabledAndColoured(SpinEdit1, on);
    CheckBox4Del2Click();
}

void MainWindow::CheckBox4Del2Click()
{
    setEnabledAndColoured(CopyDir, CheckBox4Del->isChecked() && CheckBox4Del2->isChecked());
}

// The account edits stay usable either way: they serve every UNC check directory.
void MainWindow::CheckBox5Click()
{
    setEnabledAndColoured(ComboBox1, CheckBox5->isChecked());
}

// The start button comes back at the left edge; a save button shown after a run makes room for it.
void MainWindow::CheckBox6Click()
{
    ToolbarButton971->setVisible(!CheckBox6->isChecked());
    placeSaveButton();
    Panel1Resize();
}

// From the first change on, the password is shown as typed.
void MainWindow::PasswordChange()
{
    if (Password->echoMode() != QLineEdit::Normal)
        Password->setEchoMode(QLineEdit::Normal);
}

void MainWindow::RxLabel1Click()
{
    m_desktop.openUrl(productPage());
}

// The directory list stays as it is while a run walks it. A blank name is no directory: an empty
// entry would end the list when the settings file is read again.
void MainWindow::Button1Click()
{
    if (m_runner.running() || DirectoryEdit1->text().trimmed().isEmpty())
        return;
    m_settings.checkDirs.push_back(CheckDirectory{toCp1251(DirectoryEdit1->text())});
    ListBox1->addItem(DirectoryEdit1->text());
}

void MainWindow::addTooltips()
{
    const std::pair<QWidget*, QString> hints[] = {
        {ListBox1, u"Каталоги, в которые агенты пишут отчёты компьютеров; проверяются по порядку"_s},
        {DirectoryEdit1, u"Каталог для добавления в перечень: локальный или \\\\СЕРВЕР\\ресурс\\папка"_s},
        {CheckBox6, u"Начинать проверку сразу после запуска программы"_s},
        {CheckBox1, u"Закрывать программу после проверки, которая не нашла изменений"_s},
        {CheckBox2, u"Показывать узлы найденных компьютеров раскрытыми"_s},
        {CheckBox3, u"Проверять с пониженным приоритетом, свернув окно"_s},
        {CheckBox7, u"Не сообщать об отчётах без подписи или с неверной подписью"_s},
        {CheckBox4Del, u"Удалять отчёты, которые агенты давно не обновляли"_s},
        {SpinEdit1, u"Возраст отчёта в днях, после которого он удаляется"_s},
        {CheckBox4Del1, u"Удалять без вопроса о каждом отчёте"_s},
        {CheckBox4Del2, u"Перед удалением сохранять копию отчёта в этом каталоге"_s},
        {CopyDir, u"Каталог для копий удаляемых отчётов"_s},
        {FilenameEdit1, u"Файл протокола: каждая проверка с находками дописывается в его конец"_s},
        {FilenameEdit2, u"Словарь атрибутов S.M.A.R.T. для расшифровки сообщений о дисках"_s},
        {CheckBox4, u"Читать отчёты через копии в этом каталоге"_s},
        {CheckBox5, u"Подключать каталоги \\\\СЕРВЕР\\ресурс как диск перед проверкой"_s},
        {ComboBox1, u"Буква диска для подключения"_s},
        {RxLabel1, u"Описание программы"_s},
    };
    for (const auto& [widget, hint] : hints) {
        if (widget->toolTip().isEmpty())
            widget->setToolTip(hint);
    }
}

void MainWindow::Button2Click()
{
    if (m_runner.running())
        return;
    const int row = ListBox1->currentRow();
    if (row < 0 || !ListBox1->currentItem() || !ListBox1->currentItem()->isSelected())
        return;
    delete ListBox1->takeItem(row);
    m_settings.checkDirs.erase(m_settings.checkDirs.begin() + row);
}

}  // namespace corvinax
