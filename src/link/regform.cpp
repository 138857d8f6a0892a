#include "link/regform.h"

regform::regform(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("regform"));
}

void regform::setFormMode(int mode, const QString &, const QString &)
{
    m_mode = mode;
}
