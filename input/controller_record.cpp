#include "input/controller_record.h"

#include "input/inputs.h"

ControllerRecord::ControllerRecord() {
  for (const ButtonInput& button : kButtonInputs) (this->*button.entry).name = button.name;
  for (const AxisInput& axis : kAxisInputs) (this->*axis.entry).name = axis.name;
}
