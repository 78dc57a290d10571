"""Decodes the benchmark corpus with Python's email package, doing the work
the MIME decoder does: header fields with encoded words, the body parts
decoded and converted from their charsets, attachments decoded to bytes.
Prints the number of messages and the messages per second (best of rounds)."""
import email
import email.header
import os
import sys
import time


def header_text(value):
    if value is None:
        return ""
    return str(email.header.make_header(email.header.decode_header(value)))


def decode(data):
    message = email.message_from_bytes(data)
    fields = [header_text(message[name]) for name in ("From", "To", "Cc", "Subject")]
    fields.append(message["Date"] or "")
    texts = []
    attachments = []
    for part in message.walk():
        if part.is_multipart():
            continue
        payload = part.get_payload(decode=True) or b""
        name = part.get_filename()
        if name:
            attachments.append((header_text(name), payload))
        else:
            charset = part.get_content_charset() or "ascii"
            texts.append(payload.decode(charset, "replace"))
    return fields, texts, attachments


def main():
    folder = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    corpus = []
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as f:
            corpus.append(f.read())
    best = None
    for _ in range(rounds):
        start = time.perf_counter()
        for data in corpus:
            decode(data)
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    print("messages=%d seconds=%.6f per_second=%.1f" % (len(corpus), best, len(corpus) / best))


if __name__ == "__main__":
    main()
