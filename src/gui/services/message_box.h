// Message boxes of the program. Every box has string 117 as its caption and no owner
// window. The program shows real Qt boxes; a test installs its own service to read the
// boxes and answer them.
#pragma once
#include <QString>
#include <string>

enum class BoxKind { Information, Warning, Question };

class IMessageBoxService {
public:
    virtual ~IMessageBoxService() = default;
    // Shows one box and returns whether OK was pressed (information and warning boxes
    // have only OK, so closing them counts as OK).
    virtual bool Show(BoxKind kind, const QString& caption, const QString& text) = 0;
};

// The service in force: the real boxes unless a test installed its own.
IMessageBoxService& MessageBoxes();
// Installs p (not owned); null restores the real boxes.
void SetMessageBoxService(IMessageBoxService* p);

// The three forms, with caption string 117 in the language in force.
void InfoBox(const std::wstring& text);
void WarningBox(const std::wstring& text);
bool QuestionBox(const std::wstring& text);
