#include "pocket/device/contact_store.h"

#include "platform/files.h"
#include "pocket/device/vcard.h"

namespace pocket::device {

struct ContactStore::Session {
    std::vector<VCard> cards;
    bool changed = false;
};

ContactStore::ContactStore(std::filesystem::path deviceRoot, platform::Ui& ui)
    : m_file(std::move(deviceRoot) / kContactsFileName)
    , m_ui(ui)
{
}

std::optional<ContactStore::Session> ContactStore::open()
{
    Session session;
    auto text = platform::readWholeFile(m_file);
    if (text) {
        session.cards = parseVCards(*text);
    } else if (text.error().code != platform::ErrorCode::NotFound) {
        // A store that exists but cannot be read is not used, so that a
        // later write cannot replace contacts it never saw.
        m_ui.messageBox(contact_text::kTitle, contact_text::kNoFolder, platform::Icon::Warning);
        return std::nullopt;
    }
    return session;
}

bool ContactStore::close(Session& session)
{
    if (!session.changed)
        return true;
    if (!platform::writeFileAtomically(m_file, formatVCards(session.cards))) {
        m_ui.messageBox(contact_text::kTitle, contact_text::kCannotCreate, platform::Icon::Warning);
        return false;
    }
    return true;
}

namespace {

    bool isListed(const std::vector<VCard>& cards, const ContactValues& values, std::string_view network)
    {
        for (const auto& card : cards)
            if (card.email == values.email && card.category == network)
                return true;
        return false;
    }

    VCard cardFor(const ContactValues& values, std::string_view network)
    {
        VCard card;
        card.email = values.email;
        card.category = network;
        // "%s %s" of the two parts; with one part alone, that part, without a
        // stray blank.
        if (!values.displayFirst.empty() && !values.displayLast.empty())
            card.formattedName = values.displayFirst + " " + values.displayLast;
        else
            card.formattedName = values.displayFirst + values.displayLast;
        card.givenName = values.firstName;
        card.familyName = values.lastName;
        return card;
    }

} // namespace

std::optional<int> ContactStore::addContacts(
    const std::vector<ContactValues>& contacts, std::string_view network)
{
    auto session = open();
    if (!session)
        return std::nullopt;
    int added = 0;
    for (const auto& values : contacts) {
        if (isListed(session->cards, values, network))
            continue;
        session->cards.push_back(cardFor(values, network));
        session->changed = true;
        ++added;
    }
    if (!close(*session))
        return std::nullopt;
    return added;
}

bool ContactStore::addContact(const ContactValues& values, std::string_view network)
{
    auto added = addContacts({ values }, network);
    return added && *added == 1;
}

std::optional<std::vector<AddressRow>> ContactStore::listContacts()
{
    auto session = open();
    if (!session)
        return std::nullopt;
    std::vector<AddressRow> rows;
    for (const auto& card : session->cards) {
        if (card.email.empty())
            continue;
        rows.push_back({ card.givenName + card.familyName, card.email });
    }
    return rows;
}

bool ContactStore::fillAddressBook(AddressBookView& view)
{
    auto rows = listContacts();
    if (!rows)
        return false;
    view.setCheckBoxesAndFullRowSelect();
    for (const auto& row : *rows)
        view.appendRow(row);
    return true;
}

} // namespace pocket::device
