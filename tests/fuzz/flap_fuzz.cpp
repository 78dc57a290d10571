// The ICQ connection's bytes: FLAP frames cut from any chunks, SNAC headers
// and TLVs read from their data, and the SNACs the session reads.

#include "pocket/icq/flap.h"
#include "pocket/icq/flap_splitter.h"
#include "pocket/icq/icq_snacs.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    pocket::icq::FlapSplitter splitter;
    std::size_t chunk = input.empty() ? 1 : static_cast<unsigned char>(input.front()) % 97 + 1;
    for (std::size_t at = 0; at < input.size(); at += chunk) {
        splitter.feed(input.substr(at, chunk));
        while (auto frame = splitter.next()) {
            if (!*frame)
                continue;
            const std::string& body = (*frame)->data;
            if (body.size() > pocket::icq::FlapSplitter::kMaxFrameData)
                std::abort();
            pocket::icq::ByteReader reader(body);
            if (auto header = pocket::icq::readSnacHeader(reader)) {
                std::string_view rest = reader.rest();
                (void)pocket::icq::readOnlineNotice(rest);
                (void)pocket::icq::readOfflineNotice(rest);
                (void)pocket::icq::readIncomingMessage(rest);
                (void)pocket::icq::readMetaAnswer(rest);
                (void)pocket::icq::readOfflineMessage(rest);
            }
            pocket::icq::ByteReader tlvReader(body);
            (void)pocket::icq::readTlvs(tlvReader);
        }
    }
    return 0;
}
