#pragma once
// A pin of a filter: name, direction, category, media types and the pin it is connected to.
// Media pins are backed by a ghost pad of the filter's bin with the pin's name; device pins
// (between the card's parts) carry no data and only record their connection.

#include <QString>
#include <vector>

#include "platform/graph/GraphTypes.h"

typedef struct _GstPad GstPad;

namespace pvx::platform::graph {

class TFilter;

class TPin {
 public:
  TPin(TFilter& owner, QString name, PinDir dir, PinCategory category, MediaMajor major,
       int physicalType = 0)
      : owner_(owner), name_(std::move(name)), dir_(dir), category_(category), major_(major),
        physicalType_(physicalType) {}

  TFilter& Filter() const { return owner_; }
  const QString& Name() const { return name_; }
  PinDir Dir() const { return dir_; }
  PinCategory Category() const { return category_; }
  MediaMajor Major() const { return major_; }
  // Physical connector type for crossbar pins; 0 otherwise.
  int PhysicalType() const { return physicalType_; }
  bool IsDevicePin() const {
    return major_ == MediaMajor::AnalogVideo || major_ == MediaMajor::AnalogAudio;
  }

  TPin* ConnectedTo() const { return peer_; }
  bool IsConnected() const { return peer_ != nullptr; }

  // The media types this pin offers or accepts; empty means any of its major type.
  std::vector<TMediaType> MediaTypes;

  // The ghost pad of the filter's bin; nullptr for device pins.
  GstPad* Pad() const;

 private:
  friend class TFilterGraph;
  TFilter& owner_;
  QString name_;
  PinDir dir_;
  PinCategory category_;
  MediaMajor major_;
  int physicalType_;
  TPin* peer_ = nullptr;
};

}  // namespace pvx::platform::graph
