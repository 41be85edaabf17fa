#include "formats/wholefilehandler.h"

#include "formats/wholefile.h"

#include <QVariant>

bool WholeFileHandler::open()
{
    if (state != State::Unread)
        return state == State::Open;
    state = State::Failed;
    data = WholeFile::read(device());
    if (data.isEmpty())
        return false;
    fullSize = parse();
    if (!WholeFile::withinBudget(fullSize))
        return false;
    state = State::Open;
    return true;
}

QVariant WholeFileHandler::option(ImageOption option) const
{
    if (option == Size && const_cast<WholeFileHandler *>(this)->open())
        return fullSize;
    if (option == ScaledSize)
        return scaledSize;
    return QVariant();
}

void WholeFileHandler::setOption(ImageOption option, const QVariant &value)
{
    if (option == ScaledSize)
        scaledSize = value.toSize();
}

bool WholeFileHandler::supportsOption(ImageOption option) const
{
    return option == Size || option == ScaledSize;
}
