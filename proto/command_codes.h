#pragma once

// File: proto/command_codes.h
// The command codes of the PC command channel (port 4000). A request carries
// one of these as its code; an answer repeats the code it answers, and the PC
// sends a few codes of its own (service stopping, keep-alive probe, "NEXT",
// upload finished).

#include <cstdint>

namespace proto {

constexpr std::int32_t kCodeListViewable = 302;      // "serverfile", modes 0, 1, 2.
constexpr std::int32_t kCodeConvertDocument = 303;
constexpr std::int32_t kCodeCheckMail = 304;
constexpr std::int32_t kCodePrepareMail = 305;
constexpr std::int32_t kCodeListFolder = 306;        // "serverfolder".
constexpr std::int32_t kCodeSearch = 307;
constexpr std::int32_t kCodeDownload = 308;
constexpr std::int32_t kCodeUpload = 309;            // Announce or cancel; also the end answer.
constexpr std::int32_t kCodeLogIn = 310;
constexpr std::int32_t kCodeLogOut = 311;
constexpr std::int32_t kCodeServiceStopping = 312;
constexpr std::int32_t kCodeViewPage = 313;
constexpr std::int32_t kCodeListViewableMode1 = 320; // Answer code of 302 mode 1.
constexpr std::int32_t kCodeDownloadWithPath = 323;
constexpr std::int32_t kCodeListViewableMode2 = 327; // Answer code of 302 mode 2.
constexpr std::int32_t kCodeKeepAlive = 328;         // Probe (PC) and reply (handheld).
constexpr std::int32_t kCodeMailPiece = 329;
constexpr std::int32_t kCodeNext = 330;              // "NEXT": send the next mail piece.
constexpr std::int32_t kCodeAttachmentUploaded = 331;
constexpr std::int32_t kCodeDeleteMail = 332;

// The text of a 309 request that cancels the running upload.
constexpr const char* kUploadCancelWord = "0xffff_f";

} // namespace proto
