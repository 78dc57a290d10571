#pragma once

// File: pocket/mail/mail_attachment_chooser.h
// The composer's attachment chooser: a tree of the handheld's folders and
// files under "PDA" and, below the PC's drives, the PC's folders and files.
// Handheld folders are read when expanded; PC folders are asked of the PC
// (command 302, answer 320, MailAttachmentTree). Choosing needs the log-in:
// without it the login dialog opens and the chooser follows the log-in. The
// chosen file goes into the composer as "C:\docs\a.doc" (a PC file) or
// "\My Documents\a.txt" (a handheld file). Window thread only.

#include "pocket/mail/mail_attachment_tree.h"
#include "pocket/mypc/mypc_tree.h"

#include <optional>
#include <string>
#include <string_view>

namespace pocket::mail {

class ComposerDialogs;
class MailComposer;

class AttachmentChooser final : private mypc::MyPcTreeView {
public:
    AttachmentChooser(MailContext& context, platform::HttpFetch& fetch);

    // Where the tree is drawn while the chooser is open; null: nowhere.
    void setView(mypc::MyPcTreeView* view) { m_view = view; }

    // The tap on the attachment label: at most five attachments, the
    // log-in, then the chooser; the chosen file is attached.
    void choose(MailComposer& composer, ComposerDialogs& dialogs);

    const mypc::MyPcTree& tree() const { return m_tree; }
    mypc::TreeItem* find(std::string_view path) { return m_tree.find(path); }
    // Expanding a folder: a handheld folder is read, a PC folder asked of
    // the PC. False when nothing was done (a file, or a PC list still waits).
    bool expand(mypc::TreeItem& item);
    // The path a file is attached under; nothing for a folder.
    static std::optional<std::string> attachmentPath(const mypc::TreeItem& item);

private:
    // The tree as it is when the chooser opens: "PDA" and the PC's drives.
    void fill();
    // MyPcTreeView: passed on to the drawing view.
    void treeReset() override;
    void itemChanged(const mypc::TreeItem& item) override;

    MailContext& m_context;
    mypc::MyPcTreeView* m_view = nullptr; // Before the tree, which reports from its start.
    mypc::MyPcTree m_tree;
    MailAttachmentTree m_pc;
};

} // namespace pocket::mail
