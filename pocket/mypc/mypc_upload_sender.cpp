#include "pocket/mypc/mypc_upload_sender.h"

#include "pocket/mypc/source_file.h"
#include "proto/upload_block.h"

#include <algorithm>

namespace pocket::mypc {

UploadSender::~UploadSender()
{
    close();
}

bool UploadSender::open(const std::filesystem::path& file)
{
    close();
    m_sent = 0;
    m_complete = false;
    m_ackBytes.clear();
    auto source = openSourceFile(file);
    if (!source)
        return false;
    m_file = source->file;
    m_size = static_cast<std::int64_t>(source->size);
    return true;
}

void UploadSender::close()
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

std::optional<std::string> UploadSender::nextBlock()
{
    if (!m_file)
        return std::nullopt;
    std::string block(proto::kUploadBlockBytes, '\0');
    std::size_t got = std::fread(block.data(), 1, block.size(), m_file);
    if (got == 0) {
        bool failed = std::ferror(m_file) != 0;
        close();
        if (failed)
            return std::nullopt;
        m_complete = true;
        return std::string(proto::kMarkerComplete);
    }
    block.resize(got);
    m_sent += static_cast<std::int64_t>(got);
    return block;
}

bool UploadSender::onReceived(std::string_view bytes)
{
    m_ackBytes.append(bytes);
    bool ready = false;
    while (m_ackBytes.size() >= proto::kUploadBlockBytes) {
        std::string_view ack(m_ackBytes.data(), proto::kUploadBlockBytes);
        auto total = proto::parseUploadAck(ack);
        // The PC counts in a signed 32-bit number; compare within that range.
        auto sent32 = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_sent));
        if (!total || *total >= sent32)
            ready = true;
        m_ackBytes.erase(0, proto::kUploadBlockBytes);
    }
    return ready;
}

int UploadSender::percent() const
{
    if (m_size <= 0)
        return 100;
    return static_cast<int>(std::clamp<std::int64_t>(m_sent * 100 / m_size, 0, 100));
}

} // namespace pocket::mypc
