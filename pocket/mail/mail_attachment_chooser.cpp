#include "pocket/mail/mail_attachment_chooser.h"

#include "pocket/link/pc_link.h"
#include "pocket/mail/mail_composer.h"

namespace pocket::mail {

AttachmentChooser::AttachmentChooser(MailContext& context, platform::HttpFetch& fetch)
    : m_context(context)
    , m_tree(context.device, *this)
    , m_pc(context, fetch, m_tree)
{
}

void AttachmentChooser::choose(MailComposer& composer, ComposerDialogs& dialogs)
{
    if (!composer.canAddAttachment())
        return;
    m_pc.withLogin([this, &composer, &dialogs] {
        fill();
        auto path = dialogs.chooseAttachment(*this);
        if (path && composer.addAttachment(*path))
            dialogs.attachmentsChanged();
    });
}

void AttachmentChooser::fill()
{
    m_tree.reset();
    m_tree.addDrives(m_context.link.drives());
}

bool AttachmentChooser::expand(mypc::TreeItem& item)
{
    if (!item.isFolder)
        return false;
    if (!item.isPc)
        return m_tree.expandHandheld(item);
    return m_pc.expand(mypc::MyPcTree::pathOf(item));
}

std::optional<std::string> AttachmentChooser::attachmentPath(const mypc::TreeItem& item)
{
    if (item.isFolder)
        return std::nullopt;
    std::string path = mypc::MyPcTree::pathOf(item);
    // "PDA\My Documents\a.txt" is the handheld's "\My Documents\a.txt".
    if (!item.isPc && path.starts_with("PDA"))
        path.erase(0, 3);
    return path;
}

void AttachmentChooser::treeReset()
{
    if (m_view)
        m_view->treeReset();
}

void AttachmentChooser::itemChanged(const mypc::TreeItem& item)
{
    if (m_view)
        m_view->itemChanged(item);
}

} // namespace pocket::mail
