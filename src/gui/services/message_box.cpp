#include "gui/services/message_box.h"

#include <QMessageBox>

#include "i18n/string_table.h"

namespace {

class CQtMessageBoxes : public IMessageBoxService {
public:
    bool Show(BoxKind kind, const QString& caption, const QString& text) override {
        QMessageBox::Icon icon = QMessageBox::Information;
        QMessageBox::StandardButtons buttons = QMessageBox::Ok;
        if (kind == BoxKind::Warning) icon = QMessageBox::Warning;
        if (kind == BoxKind::Question) {
            icon = QMessageBox::Question;
            buttons = QMessageBox::Ok | QMessageBox::Cancel;
        }
        QMessageBox box(icon, caption, text, buttons, nullptr);  // no owner window
        return box.exec() == QMessageBox::Ok || kind != BoxKind::Question;
    }
};

CQtMessageBoxes g_qtBoxes;
IMessageBoxService* g_pBoxes = nullptr;

bool ShowBox(BoxKind kind, const std::wstring& text) {
    return MessageBoxes().Show(kind, QString::fromStdWString(LoadStrId(117)),
                               QString::fromStdWString(text));
}

}  // namespace

IMessageBoxService& MessageBoxes() { return g_pBoxes ? *g_pBoxes : g_qtBoxes; }

void SetMessageBoxService(IMessageBoxService* p) { g_pBoxes = p; }

void InfoBox(const std::wstring& text) { ShowBox(BoxKind::Information, text); }
void WarningBox(const std::wstring& text) { ShowBox(BoxKind::Warning, text); }
bool QuestionBox(const std::wstring& text) { return ShowBox(BoxKind::Question, text); }
