// The numbered texts of the project options dialog and the rule dialogs:
// control tags 5000-5999 (caption = text tag, hint = text tag + 1) and the
// options dialog's one message. Their built-in texts are added once, by the
// first of these dialogs made.
#pragma once

namespace vorlin::app {

void AddOptionsTexts();

enum TOptionsTag : int {
    tgOptionsForm = 5000,
    tgOptionsOk = 5002,
    tgOptionsCancel = 5004,
    // The tree of pages.
    tgGeneral = 5010,
    tgProjectMode = 5012,
    tgScope = 5014,
    tgStartData = 5016,
    tgFilters = 5018,
    tgFileExtensions = 5020,
    tgLimits = 5022,
    tgMisc = 5024,
    tgAdvancedFilters = 5026,
    tgPlugins = 5028,
    tgManners = 5030,
    // Project Mode
    tgProjectModeGroup = 5040,
    tgOfflineBrowse = 5042,
    tgMirror = 5044,
    tgModeShowStructure = 5046,
    tgHalfAutomatic = 5048,  // its hint is 5049
    tgDontFollow = 5050,
    tgReplace = 5052,
    // Scope
    tgScopeGroup = 5060,
    tgStayInDirectory = 5062,
    tgStayOnServer = 5064,
    tgStayInDomain = 5066,
    tgScopeExtensions = 5068,
    tgFollowExternalLinks = 5070,
    tgUseMaxExternalLevelCount = 5072,
    tgFollowExternalImages = 5074,
    // Start Data
    tgStartDataGroup = 5080,
    tgURL = 5082,
    tgDestination = 5084,
    tgDestinationBrowse = 5086,
    tgAuthentication = 5088,
    tgUseAutentfication = 5090,
    tgUserName = 5092,
    tgPassword = 5094,
    // File Extensions
    tgExcludeCaption = 5100,
    tgExcludeAdd = 5102,
    tgExcludeRemove = 5104,
    // Limits
    tgLimitsGroup = 5110,
    tgUseMaxFileSize = 5112,
    tgMaxFileSizeUnit = 5114,
    tgUseMinFileSize = 5116,
    tgMinFileSizeUnit = 5118,
    tgUseMaxFileCount = 5120,
    tgMaxFileCountUnit = 5122,
    tgUseMinDriveSpace = 5124,
    tgMinDriveSpaceUnit = 5126,
    tgUseMaxLevelCount = 5128,
    tgMaxLevelCountUnit = 5130,
    tgUseMaxProjSize = 5132,
    tgMaxProjSizeUnit = 5134,
    // Misc
    tgJavaScriptGroup = 5140,
    tgJsInterpret = 5142,
    tgJsIgnore = 5144,
    tgJsDelete = 5146,
    tgMiscGroup = 5148,
    tgDownloadBckgrds = 5150,
    tgResetOnProjStart = 5152,
    // Advanced Filters
    tgAddRule = 5160,
    tgDeleteRule = 5162,
    tgEditRule = 5164,
    tgRulesUnreadable = 5166,
    // Plugins
    tgConfigurePlugin = 5170,
    tgShowPluginData = 5172,
    // The warning before the URL of a downloaded project changes.
    tgURLChangeWarning = 5190,

    // The rule dialog.
    tgRuleForm = 5200,
    tgRuleConditions = 5202,
    tgRuleActions = 5204,
    tgRuleOk = 5206,
    tgRuleCancel = 5208,
    // The condition dialogs.
    tgConditionForm = 5220,
    tgMaskAdd = 5222,
    tgMaskRemove = 5224,
    tgMaskEdit = 5226,
    tgConditionAll = 5228,
    tgConditionAny = 5230,
    tgConditionNegate = 5232,
    tgConditionOk = 5234,
    tgConditionCancel = 5236,
    tgSizeGreater = 5240,
    tgSizeLess = 5242,
    // The copy actions' folder dialog.
    tgChooseFolder = 5250,

    // Manners (a page of the options dialog that came later).
    tgServersGroup = 5260,
    tgObeyRobots = 5262,  // its hint is 5263
    tgRobotsIgnored = 5264,
    tgWaitSeconds = 5266,
    tgWaitUnit = 5268,
    tgRandomWait = 5270,  // its hint is 5271
    tgLimitRate = 5272,
    tgLimitRateUnit = 5274,
    tgCookiesGroup = 5276,
    tgLoadCookies = 5278,
    tgLoadCookiesBrowse = 5280,
    tgSaveCookies = 5282,
    tgSaveCookiesBrowse = 5284,
    tgKeepSessionCookies = 5286,  // its hint is 5287
    tgCookiesFiles = 5288,         // the file dialogs' filter
};

} // namespace vorlin::app
