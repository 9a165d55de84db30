#include "support/headless.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace velmora::forms {
namespace {

class HeadlessPeer : public Peer {
public:
    explicit HeadlessPeer(WindowHandle h) : handle_(h) {}
    WindowHandle Handle() override { return handle_; }

private:
    WindowHandle handle_;
};

void Snapshot(Control& c, HeadlessBackend::ModalRecord& record) {
    record.texts[c.Name()] = c.Text();
    record.visible[c.Name()] = c.Visible();
    for (auto& child : c.Children()) Snapshot(*child, record);
}

}  // namespace

HeadlessBackend::HeadlessBackend(std::string resourceDir) : resourceDir_(std::move(resourceDir)) {}

HeadlessBackend::~HeadlessBackend() { released_.clear(); }

void HeadlessBackend::ExpectModal(Answer answer) { answers_.push_back(std::move(answer)); }

std::unique_ptr<Peer> HeadlessBackend::CreatePeer(Control&) { return std::make_unique<HeadlessPeer>(nextHandle_++); }

void HeadlessBackend::RunModal(Form& form) {
    if (terminated_) return;
    ModalRecord record;
    record.formName = form.Name();
    Snapshot(form, record);
    std::size_t index = log_.size();
    log_.push_back(std::move(record));
    if (answers_.empty()) throw std::logic_error("modal form " + form.Name() + " opened with no answer queued");
    Answer answer = std::move(answers_.front());
    answers_.pop_front();
    answer(form);
    if (!terminated_ && form.ModalResult() == mrNone)
        throw std::logic_error("modal form " + form.Name() + " was left open by its answer");
    log_[index].result = terminated_ ? mrCancel : form.ModalResult();
}

void HeadlessBackend::ShowForm(Form&, bool) {}

void HeadlessBackend::DeferDestroy(std::unique_ptr<Form> form) { released_.push_back(std::move(form)); }

void HeadlessBackend::ProcessMessages() {
    released_.clear();
    if (onProcessMessages) onProcessMessages();
}

void HeadlessBackend::SetTimer(Control& control, std::uintptr_t id, unsigned milliseconds) {
    timers_[{control.Handle(), id}] = milliseconds;
}

void HeadlessBackend::KillTimer(Control& control, std::uintptr_t id) { timers_.erase({control.Handle(), id}); }

std::string HeadlessBackend::LoadFormText(const std::string& resourceName) {
    std::ifstream in(resourceDir_ + "/" + resourceName + ".form", std::ios::binary);
    if (!in) throw std::runtime_error("no stored form " + resourceName);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

HeadlessApp::HeadlessApp() : backend_(VELMORA_RES_DIR) {}

}  // namespace velmora::forms
