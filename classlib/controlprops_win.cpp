#include "classlib/controls.h"
#include "classlib/typinfo.h"

const TPublishedClass* TControl::StaticPublishedClass() {
  static const TPropInfo properties[] = {
      IntegerProperty<&TControl::Left, &TControl::SetLeft>("Left"),
      IntegerProperty<&TControl::Top, &TControl::SetTop>("Top"),
      IntegerProperty<&TControl::Width, &TControl::SetWidth>("Width"),
      IntegerProperty<&TControl::Height, &TControl::SetHeight>("Height"),
      BooleanProperty<&TControl::Enabled, &TControl::SetEnabled>("Enabled", 1),
      BooleanProperty<&TControl::Visible, &TControl::SetVisible>("Visible", 1),
      StringProperty<&TControl::Hint, &TControl::SetHint>("Hint"),
      BooleanProperty<&TControl::ShowHint, &TControl::SetShowHint>("ShowHint"),
  };
  static const TPublishedClass table{"TControl", TComponent::StaticPublishedClass(), properties};
  return &table;
}
