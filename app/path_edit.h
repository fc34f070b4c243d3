#pragma once

// A directory or file name field with a browse button (DirectoryEdit, FilenameEdit).

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace corvinax {

class DesktopServices;

class PathEdit final : public QWidget {
    Q_OBJECT

public:
    enum class Kind { Directory, File };

    PathEdit(Kind kind, DesktopServices& desktop, QString initialFolder, QWidget* parent = nullptr);

    // For file fields: the dialog's title, filter ("description|pattern|..."), default extension.
    void setFileDialog(QString title, QString filter, QString defaultSuffix);
    void setDialogTitle(QString title) { m_title = std::move(title); }

    QString text() const;
    void setText(const QString& text);
    QLineEdit* lineEdit() const { return m_edit; }

Q_SIGNALS:
    void textChanged(const QString& text);

private:
    void browse();
    QString startFolder() const;

    Kind m_kind;
    DesktopServices& m_desktop;
    QString m_initialFolder;
    QString m_title;
    QString m_filter;
    QString m_defaultSuffix;
    QLineEdit* m_edit;
    QToolButton* m_button;
};

// "Logs|*.log|All files (*.*)|*.*" in the form of Qt's file dialogs.
QString qtFileFilter(const QString& pairs);

}  // namespace corvinax
