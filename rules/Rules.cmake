# vorlin_rules: masks, the rule framework and the rule engine (see README.md).
add_library(vorlin_rules STATIC
  CodePoints.cpp
  CopyActions.cpp
  FileSizeCondition.cpp
  FilterElement.cpp
  FilterRegistry.cpp
  FilterRule.cpp
  FilterRules.cpp
  HTTPVorlinAction.cpp
  HTTPVorlinCondition.cpp
  HTTPVorlinRules.cpp
  Mask.cpp
  MaskConditions.cpp
  Match.cpp
  PluginAction.cpp
  RuleDescription.cpp
  RuleEditor.cpp
  RuleStream.cpp
  RuleTexts.cpp
)
target_link_libraries(vorlin_rules PUBLIC vorlin_com vorlin_links vorlin_project)
