#include <messages/messages.h>

QString message(MessageId id)
{
    return Messages::Catalogue[std::size_t(id)].text.toString();
}
