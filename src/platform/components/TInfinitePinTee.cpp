#include "platform/components/TInfinitePinTee.h"

#include "platform/components/ComponentSupport.h"

namespace pvx::platform::components {

using namespace graph;

TInfinitePinTee::TInfinitePinTee() : TFilter(QStringLiteral("Infinite Pin Tee Filter")) {
  AddPin("Input", PinDir::Input, PinCategory::None, MediaMajor::Audio);
  auto bin = BuildBin("tee name=tee allow-not-linked=true", "infinitetee",
                      {{"tee", "sink", "Input"}});
  if (!bin) return;
  tee_ = ChildByName(bin.get(), "tee").get();  // the bin keeps it alive
  SetElement(bin.get());
  if (!AddOutput() || !AddOutput()) SetElement(nullptr);
}

TInfinitePinTee::~TInfinitePinTee() {
  // Without the bin (it failed to build) the tee is gone and only our pad references remain.
  if (Element()) gst_element_set_state(Element(), GST_STATE_NULL);
  for (const GstPtr<GstPad>& pad : requestPads_) {
    if (Element()) gst_element_release_request_pad(tee_, pad.get());
  }
}

bool TInfinitePinTee::AddOutput() {
  const int number = outputs_ + 1;
  const QByteArray queueName = "queue" + QByteArray::number(number);
  const QByteArray pinName = "Output" + QByteArray::number(number);
  GstElement* queue = MakeElement("queue", queueName.constData());
  if (!queue) return false;
  gst_bin_add(GST_BIN(Element()), queue);
  GstPtr<GstPad> teePad = Adopt(gst_element_request_pad_simple(tee_, "src_%u"));
  const bool linked =
      teePad && GST_PAD_LINK_SUCCESSFUL(gst_pad_link(teePad.get(), StaticPad(queue, "sink").get()));
  if (teePad) requestPads_.push_back(std::move(teePad));
  if (!linked || !Ghost(Element(), queueName.constData(), "src", pinName.constData())) {
    qCWarning(lcComponents) << "Infinite Pin Tee cannot add" << pinName;
    return false;
  }
  // A running graph stops before it connects, so the new branch starts with the others.
  AddPin(QString::fromLatin1(pinName), PinDir::Output, PinCategory::None, MediaMajor::Audio);
  outputs_ = number;
  return true;
}

void TInfinitePinTee::Connected(TPin& own) {
  if (own.Dir() != PinDir::Output) return;
  for (TPin* pin : PinsOf(PinDir::Output)) {
    if (!pin->IsConnected()) return;
  }
  AddOutput();
}

}  // namespace pvx::platform::components
