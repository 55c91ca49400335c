// The decoding source and the encoding sink. The source decides when the
// detector has seen enough, at the end of the input, when it has held back
// kMaxHeldBytes, or when a pipe pauses after a whole character beyond ASCII
// (so that a slow writer's lines still go out as they come).
#include "encoding_streams.h"

#include <algorithm>
#include <optional>

#include "encoding_detect.h"

namespace lumo::cli {
namespace {

constexpr size_t kReadBytes = size_t{64} << 10;
constexpr size_t kMaxHeldBytes = size_t{1} << 20;
constexpr size_t kDetectSlice = size_t{4} << 10;

bool Converted(Encoding encoding) { return encoding == Encoding::kEucJp || encoding == Encoding::kIso2022Jp; }

class DecodingSourceImpl final : public ByteSource {
public:
    DecodingSourceImpl(std::unique_ptr<ByteSource> raw, EncodingRequest request,
                       std::shared_ptr<InputEncoding> found)
        : raw_(std::move(raw)), request_(std::move(request)), found_(std::move(found)) {
        if (request_.force && request_.encoding != Encoding::kAuto) {
            Start(request_.encoding);
        } else {
            detector_ = std::make_unique<EncodingDetector>();
        }
    }

    long long Read(char *data, size_t size, std::string *error) override {
        for (;;) {
            if (ready_at_ < ready_.size()) {
                const size_t n = std::min(size, ready_.size() - ready_at_);
                ready_.copy(data, n, ready_at_);
                ready_at_ += n;
                return static_cast<long long>(n);
            }
            ready_.clear();
            ready_at_ = 0;
            if (!failure_.empty()) {
                *error = failure_;
                return -1;
            }
            if (finished_) return 0;
            if (detector_ == nullptr && decoder_ == nullptr) {
                // Decided, and handed on as it is: read straight into data.
                const long long got = raw_->Read(data, size, error);
                if (got < 0) return -1;
                Take(std::string_view(data, static_cast<size_t>(got)), got == 0, false);
                if (!failure_.empty()) continue;
                return got;
            }
            buffer_.resize(std::max(size, kReadBytes));
            const long long got = raw_->Read(buffer_.data(), buffer_.size(), error);
            if (got < 0) return -1;
            Take(std::string_view(buffer_.data(), static_cast<size_t>(got)), got == 0, true);
        }
    }

    bool MoreWaiting() override {
        return ready_at_ < ready_.size() || !failure_.empty() || finished_ || raw_->MoreWaiting();
    }

private:
    void Fail(const std::string &message) { failure_ = request_.input_name + ": " + message; }

    // The converter for EUC-JP and ISO-2022-JP; false, failed, when there
    // is none.
    bool OpenDecoder(Encoding text) {
        if (!Converted(text)) return true;
        std::string error;
        decoder_ = TextDecoder::Open(text, &error);
        if (decoder_ == nullptr) Fail(error);
        return decoder_ != nullptr;
    }

    // A named encoding taken whatever the text: only converted.
    void Start(Encoding text) {
        if (OpenDecoder(text)) found_->Publish(text, IsoStyle());
    }

    // Decides from what the detector saw; at the end, a character cut
    // there counts as the text's cut end, before it as nothing yet.
    void Decide(bool at_end) {
        if (at_end) detector_->Finish();
        const EncodingChoice choice = ChooseEncoding(*detector_, request_.encoding, request_.force);
        if (choice.refused) {
            Fail(choice.reason);
            return;
        }
        // A text with nothing beyond ASCII reads alike in every encoding.
        const Encoding text = choice.encoding == Encoding::kAuto ? Encoding::kShiftJis : choice.encoding;
        if (choice.encoding == Encoding::kShiftJis && found_->assumed_utf8() && !request_.force) {
            const TextPosition at = detector_->Fit(Encoding::kShiftJis).first_evidence().at;
            Fail("line " + std::to_string(at.line) + ", column " + std::to_string(at.column) +
                 ": the text is Shift-JIS after more than a megabyte of ASCII, which was read as UTF-8; "
                 "name its encoding with --encoding sjis");
            return;
        }
        if (!request_.force && choice.encoding != Encoding::kAuto) validator_.emplace(detector_->Take(text));
        detector_.reset();
        if (!OpenDecoder(text)) return;
        if (decoder_ != nullptr) {
            // The held text shows the escape sequences the output is to use.
            decoder_->Decode(held_, at_end, &ready_);
        } else {
            ready_ += held_;
        }
        held_.clear();
        found_->Publish(text, decoder_ != nullptr ? decoder_->style() : IsoStyle());
    }

    void Emit(std::string_view bytes, bool last) {
        if (decoder_ != nullptr) {
            decoder_->Decode(bytes, last, &ready_);
        } else {
            ready_.append(bytes);
        }
    }

    // The next bytes of the input; hand_on false when they are in the
    // caller's buffer already.
    void Take(std::string_view bytes, bool at_end, bool hand_on) {
        if (at_end) finished_ = true;
        // The candidates read a slice at a time, so that they stop once they
        // have seen enough; the rest of a piece is only checked.
        while (detector_ != nullptr) {
            std::string_view slice = bytes.substr(0, kDetectSlice);
            bytes.remove_prefix(slice.size());
            const bool last = at_end && bytes.empty();
            detector_->Feed(slice);
            if (held_.empty()) {
                // What comes before the first byte beyond ASCII goes on now.
                const auto evidence = std::find_if(slice.begin(), slice.end(), [](char c) {
                    return IsEvidenceByte(static_cast<unsigned char>(c));
                });
                const auto ascii = static_cast<size_t>(evidence - slice.begin());
                ready_.append(slice.substr(0, ascii));
                slice.remove_prefix(ascii);
            }
            held_.append(slice);
            const bool paused = !last && bytes.empty() && detector_->HasEvidence() && !raw_->MoreWaiting();
            if (last || (!held_.empty() && (detector_->Enough() || held_.size() >= kMaxHeldBytes || paused))) {
                Decide(last);
                if (!failure_.empty()) return;
            }
            if (bytes.empty()) return;
        }
        if (validator_) {
            if (at_end) {
                validator_->Feed(bytes);
                validator_->Finish();
            } else {
                validator_->Feed(bytes);
            }
            if (!validator_->Acceptable()) {
                Fail(LaterMisfitMessage(*validator_));
                return;
            }
        }
        if (hand_on) Emit(bytes, at_end);
    }

    std::unique_ptr<ByteSource> raw_;
    EncodingRequest request_;
    std::shared_ptr<InputEncoding> found_;
    std::unique_ptr<EncodingDetector> detector_;  // until the encoding is decided
    std::optional<EncodingFit> validator_;        // from then on, unless forced
    std::unique_ptr<TextDecoder> decoder_;        // EUC-JP and ISO-2022-JP
    std::string buffer_;
    std::string held_;   // from the first byte beyond ASCII, while undecided
    std::string ready_;  // to hand on
    size_t ready_at_ = 0;
    std::string failure_;
    bool finished_ = false;
};

class EncodingSinkImpl final : public ByteSink {
public:
    EncodingSinkImpl(ByteSink *to, std::shared_ptr<const InputEncoding> found, std::string input_name)
        : to_(to), found_(std::move(found)), input_name_(std::move(input_name)) {}

    bool Write(std::string_view data, std::string *error) override {
        // UTF-8 and Shift-JIS go on as they are, not copied.
        if (!Converted(found_->text())) return Pass(data, error);
        return Convert(data, false, error) && Pass(converted_, error);
    }

    bool Commit(std::string *error) override {
        if (Converted(found_->text()) && !(Convert({}, true, error) && Pass(converted_, error))) return false;
        const bool ok = to_->Commit(error);
        broken_pipe = to_->broken_pipe;
        return ok;
    }

private:
    bool Convert(std::string_view data, bool last, std::string *error) {
        converted_.clear();
        const Encoding text = found_->text();
        if (encoder_ == nullptr) {
            encoder_ = TextEncoder::Open(text, found_->style(), error);
            if (encoder_ == nullptr) return false;
        }
        if (encoder_->Encode(data, last, &converted_, error)) return true;
        *error = input_name_ + ": " + *error;
        return false;
    }

    bool Pass(std::string_view data, std::string *error) {
        if (data.empty()) return true;
        const bool ok = to_->Write(data, error);
        broken_pipe = to_->broken_pipe;
        return ok;
    }

    ByteSink *to_;
    std::shared_ptr<const InputEncoding> found_;
    std::string input_name_;
    std::unique_ptr<TextEncoder> encoder_;
    std::string converted_;
};

}  // namespace

bool NeedsDecodingSource(const EncodingRequest &request) {
    return !(request.force && (request.encoding == Encoding::kUtf8 || request.encoding == Encoding::kShiftJis));
}

Encoding PieceEncoding(const EncodingRequest &request) {
    if (Converted(request.encoding)) return Encoding::kUtf8;
    return request.encoding;
}

std::unique_ptr<ByteSource> DecodingSource(std::unique_ptr<ByteSource> raw, const EncodingRequest &request,
                                           std::shared_ptr<InputEncoding> found) {
    return std::make_unique<DecodingSourceImpl>(std::move(raw), request, std::move(found));
}

std::unique_ptr<ByteSink> EncodingSink(ByteSink *to, std::shared_ptr<const InputEncoding> found,
                                       std::string input_name) {
    return std::make_unique<EncodingSinkImpl>(to, std::move(found), std::move(input_name));
}

}  // namespace lumo::cli
