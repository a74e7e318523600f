#include "sequencers/StepText.h"

#include "link/AnsiCodePage.h"

#include <cstring>

QString stepFieldText(const char* field, std::size_t size)
{
    return fromAnsi(QByteArray(field, qstrnlen(field, size)));
}

void setStepFieldText(char* field, std::size_t size, const QString& text)
{
    const QByteArray bytes = toAnsi(text).left(size - 1);
    std::memset(field, 0, size);
    std::memcpy(field, bytes.constData(), bytes.size());
}
