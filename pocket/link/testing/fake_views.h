#pragma once

// File: pocket/link/testing/fake_views.h
// Views of the handheld core that record what they were told, for tests.

#include "pocket/link/login_dialog.h"
#include "pocket/link/pc_link.h"

#include <string>
#include <vector>

namespace pocket::link::testing {

class FakePcLinkView final : public PcLinkView {
public:
    void setConnectedMenu(bool connected) override { connectedMenu = connected; }
    void resetPcTree() override
    {
        ++treeResets;
        treeRoots = { "PDA" };
    }
    void addDriveItems(const std::vector<std::string>& drives) override
    {
        treeRoots.insert(treeRoots.end(), drives.begin(), drives.end());
    }
    void showLinkState(LinkState state) override { linkStates.push_back(state); }

    bool connectedMenu = false;
    int treeResets = 0;
    std::vector<std::string> treeRoots { "PDA" };
    std::vector<LinkState> linkStates;
};

class FakeLoginView final : public LoginDialogView {
public:
    void setFields(const std::string& i, const std::string& p, bool r) override
    {
        id = i;
        password = p;
        remember = r;
    }
    void focusId() override { focus = "id"; }
    void focusPassword() override { focus = "password"; }
    void close() override { closed = true; }

    std::string id;
    std::string password;
    bool remember = false;
    std::string focus;
    bool closed = false;
};

} // namespace pocket::link::testing
