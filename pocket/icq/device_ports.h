#pragma once

// File: pocket/icq/device_ports.h
// What the ICQ page needs from the device: its contact store (friends are
// copied into it) and its mail composer (a contact is mailed from the
// contact menu). The handheld program implements both.

#include <string>
#include <string_view>

namespace pocket::icq {

// A friend as the device's contact store takes it; every value is optional.
struct DeviceContact {
    std::string email;
    std::string network; // Stored as the contact's category: "ICQ".
    std::string firstName;
    std::string lastName;
    // The display name is composed from these two parts.
    std::string displayFirst;
    std::string displayLast;
};

class DeviceContacts {
public:
    virtual ~DeviceContacts() = default;
    // Whether a contact was created (a duplicate is not).
    virtual bool addContact(const DeviceContact& contact) = 0;
};

class MailComposer {
public:
    virtual ~MailComposer() = default;
    // Opens the device's mail composer addressed to `address`.
    virtual void compose(std::string_view address) = 0;
};

} // namespace pocket::icq
