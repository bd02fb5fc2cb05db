#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>

class QCheckBox;
class QComboBox;
class QLineEdit;

// The Preferences dialog: the snapshot folder, kept in "OutputPath.txt", and the snapshot
// image format, kept while the program runs. Frameless, with its own title strip, moved by
// dragging.
class CProcessUI : public QDialog
{
    Q_OBJECT
public:
    CProcessUI();
    ~CProcessUI() override;

    // Builds the widgets; the caller sets formatIndex first.
    void BuildLayout();

    int resultFlag = 1; // 0 after OK: the caller applies the settings
    int formatIndex = 0;
    QComboBox *formatCombo = nullptr;
    // Whether a source opened again starts where it was left; the caller sets it first.
    bool resume = true;
    QCheckBox *resumeCheck = nullptr;
    // The languages a title starts with (codes; empty: the disc's own choice); the caller sets
    // them first and reads them back after OK.
    QString audioLanguage;
    QString subtitleLanguage;
    QComboBox *audioLanguageCombo = nullptr;
    QComboBox *subtitleLanguageCombo = nullptr;

    QString FolderPath() const { return folderPath; }
    // For tests: the folder the chooser would have returned.
    void SetChosenFolder(const QString &folder);

public slots:
    void btnCloseSlot();
    void btnOpenFolder();
    void btnOK();
    void btnChoosePath();
    void btnMinSlot();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QString folderPath;
    QPoint dragOffset;
    QLineEdit *folderEdit = nullptr;
};
