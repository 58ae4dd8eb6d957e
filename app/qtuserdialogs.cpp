#include "app/qtuserdialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include "controls/tthmessagebox.h"

namespace {

QWidget* DialogParent() {
    return QApplication::activeWindow();
}

QString BoxTitle() {
    return QApplication::applicationDisplayName();
}

// "Ilda File(.ild)|*.ild|All|*.*" becomes "Ilda File(.ild) (*.ild);;All (*.*)"; several patterns
// of one entry are separated by ';' in the toolkit and by ' ' in Qt.
QString QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        entries << parts[i] + QStringLiteral(" (") + patterns + u')';
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace

void QtUserDialogs::Information(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, BoxTitle(), text, QMessageBox::Ok, DialogParent());
    // A path or an address in the text can be selected and copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}

void QtUserDialogs::ShowError(const QString& message) {
    QMessageBox box(QMessageBox::Critical, BoxTitle(), message, QMessageBox::Ok, DialogParent());
    box.exec();
}

TAnswer QtUserDialogs::Confirm(const QString& text, TConfirmButtons buttons,
                               TAnswer defaultButton) {
    QMessageBox box(QMessageBox::Question, BoxTitle(), text, QMessageBox::Yes | QMessageBox::No,
                    DialogParent());
    box.setDefaultButton(defaultButton == TAnswer::No ? QMessageBox::No : QMessageBox::Yes);
    // Escape and the close box give no answer of Yes or No. A Yes/No box has no Cancel button
    // to show for that, so an unseen one takes those keys.
    QAbstractButton* cancel = box.addButton(QMessageBox::Cancel);
    if (buttons == TConfirmButtons::YesNo)
        cancel->hide();
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes))
        return TAnswer::Yes;
    if (box.clickedButton() == box.button(QMessageBox::No))
        return TAnswer::No;
    return TAnswer::Cancel;
}

int QtUserDialogs::ThemedMessage(const std::string& text, int type, unsigned buttons) {
    return TThMessageBox::ShowMessage(QString::fromStdString(text), type, buttons);
}

std::optional<QString> QtUserDialogs::SaveFileName(const TSaveFileRequest& request) {
    QFileDialog dialog(DialogParent(), request.title, request.initialDir,
                       QtNameFilters(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultExt.startsWith(u'.') ? request.defaultExt.mid(1)
                                                                : request.defaultExt);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    // Qt's save dialog has no read-only check box, so hideReadOnly holds by construction.
    dialog.setSizeGripEnabled(request.resizable);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

bool QtUserDialogs::OpenUrl(const QString& address) {
    return QDesktopServices::openUrl(QUrl(address));
}
