#pragma once

// File: pocket/msn/testing/fake_page_view.h
// An MsnPageView that keeps the tree as a list of items, for tests.

#include "pocket/msn/msn_page.h"

#include <deque>
#include <map>

namespace pocket::msn::testing {

class FakePageView final : public MsnPageView {
public:
    struct Item {
        TreeRoot root;
        std::string text;
        int image;
    };
    void setStatusLine(std::string_view text) override { statusLine = std::string(text); }
    void resetTree() override
    {
        items.clear();
        placeholders = true;
        ++resets;
    }
    void removePlaceholders() override { placeholders = false; }
    TreeItem insertItem(TreeRoot root, std::string_view text, int image) override
    {
        items[++m_next] = { root, std::string(text), image };
        return m_next;
    }
    void updateItem(TreeItem item, std::string_view text, int image) override
    {
        items.at(item).text = std::string(text);
        items.at(item).image = image;
    }
    void deleteItem(TreeItem item) override { items.erase(item); }
    void setStatusBitmap(int b) override { bitmap = b; }
    TreeItem selectedItem() const override { return selected; }
    std::optional<std::string> askText(const TextRequest& request) override
    {
        requests.push_back(request);
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void showContactInfo(const ContactInfo& i) override { info = i; }

    const Item* itemWithText(std::string_view text) const
    {
        for (const auto& [id, item] : items)
            if (item.text == text)
                return &item;
        return nullptr;
    }

    std::string statusLine;
    int bitmap = 0;
    bool placeholders = false;
    int resets = 0;
    std::map<TreeItem, Item> items;
    TreeItem selected = 0;
    std::deque<std::optional<std::string>> answers;
    std::vector<TextRequest> requests;
    std::optional<ContactInfo> info;

private:
    TreeItem m_next = 0;
};

} // namespace pocket::msn::testing
