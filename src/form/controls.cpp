#include "form/formmodel.h"

namespace {

ControlSpec box(const char* name, const char* tip, int maxLength = 0) {
    return {name, ControlKind::TextBox, {}, tip, maxLength, false, colour::Normal};
}
ControlSpec orangeBox(const char* name) // discount inputs: credit colour, tool tip set at run time
{
    return {name, ControlKind::TextBox, {}, {}, 0, false, colour::Credit};
}
ControlSpec result(const char* name, const char* tip) {
    return {name, ControlKind::TextBox, {}, tip, 0, true, colour::Normal};
}
ControlSpec check(const char* name, const char* tip) {
    return {name, ControlKind::CheckBox, {}, tip, 0, false, colour::Normal};
}
ControlSpec button(const char* name, const char* caption, const char* tip) {
    return {name, ControlKind::Button, caption, tip, 0, false, colour::Normal};
}
ControlSpec label(const char* name, const char* caption) {
    return {name, ControlKind::Label, caption, {}, 0, false, colour::Normal};
}

} // namespace

const std::vector<ControlSpec>& mainWindowControls() {
    static const std::vector<ControlSpec> controls = {
        // Meter readings
        box("Date1", "Meter Reading 1 date (must be more than 3 days earlier than Reading 2)"),
        box("Date2", "Meter Reading 2 date (must be more than 3 days later than Reading 1)"),
        box("NRead1", "Normal Rate Meter Reading 1  (1 - 999900 and at least 10 less than Normal "
                      "Rate Reading 2)"),
        box("NRead2", "Normal Rate Meter Reading 2 (11 - 999999 and at least 10 more than Normal "
                      "Rate Reading 1)"),
        box("CRead1", "Cheap Rate Meter Reading 1  (1 - 999900 and at least 10 less than Cheap "
                      "Rate Reading 2)"),
        box("CRead2", "Cheap Rate Meter Reading 2 (11 - 999999 and at least 10 more than Cheap "
                      "Rate Reading 1)"),
        box("Notes", "Notes relating to calculation (max 75 characters)", 75),
        // Electricity data
        box("NormalR1", "Normal Rate 1 cost per KWHr ( between 0.010000 and 0.990000)"),
        box("NormalR2", "Normal Rate 2 cost per KWHr ( 0 or between 0.010000 and 0.990000)"),
        box("BPoint", "Rate 1 to Rate 2 units Break Point per quarter (0 or between 10 and 3000)"),
        box("CheapR", "Cheap Rate  cost per KWHr (0 or between 0.010000 and 0.990000)"),
        box("SCharge", "Fixed Charge per quarter ( 0 or between 5 and 99)"),
        orangeBox("Disc1"),
        orangeBox("Disc2"),
        box("VAT", ""),
        box("CO2", "CO2 Conversion Rate (Kg/KWHr)"),
        box("PRate", "Prediction period in quarters  (0 ( No Prediction) or between 1 and 4)"),
        // Switches
        check("Period", "If ticked sets Voltrake to work monthly rather than quarterly"),
        check("DRate", "Set Break Point to KWHr/Day"),
        check("Disc1P", "If ticked Discount1 is a percentage rather than a fixed amount"),
        check("Disc2F", "If ticked Discount 2 is fixed"),
        check("AutoSave", "Save results to history and results files when Calculate clicked ( "
                          "provided no errors occur)"),
        check("NoHistory", "If ticked history log will not be updated when saving"),
        check("OnTop", "Set Voltrake to run on top"),
        check("UpEnable1", "Enable automatic check for new version"),
        // Actual results
        result("TDays", "No days"),
        result("NRUnits", "Normal Rate units used"),
        result("R1Units", "Number units charged at Normal Rate 1"),
        result("R2Units", "Number units charged at Normal Rate 2"),
        result("CRUnits", "Cheap Rate units used"),
        result("NR1Cost", "Cost of Normal Rate 1 units"),
        result("NR2Cost", "Cost of Normal Rate 2 units"),
        result("CRCost", "Cost of Cheap Rate units"),
        result("TSCharge", "Total cost of Fixed Charges"),
        {"D1Cost", ControlKind::TextBox, {}, {}, 0, true, colour::Credit},
        result("VCost", ""),
        {"D2Cost", ControlKind::TextBox, {}, {}, 0, true, colour::Credit},
        result("TVCost", ""),
        result("UDay", "Units used per day"),
        result("CDay", "Cost per day"),
        result("TCO2", "Amount of CO2 generated in Kg"),
        result("CO2Day", "CO2 generated per day"),
        // Predicted results
        result("TDaysP", "No days in prediction period"),
        result("NRUnitsP", "Normal Rate units predicted"),
        result("R1UnitsP", "Number of predicted units charged at Normal Rate 1"),
        result("R2UnitsP", "Number of predicted units charged at Normal Rate 2"),
        result("CRUnitsP", "Cheap Rate units predicted"),
        result("NR1CostP", "Predicted cost of Normal Rate 1 units"),
        result("NR2CostP", "Predicted cost of Normal Rate 2 units"),
        result("CRCostP", "Predicted cost of Cheap Rate units"),
        result("TSChargeP", "Predicted total cost of Fixed Charges"),
        {"D1CostP", ControlKind::TextBox, {}, {}, 0, true, colour::Credit},
        result("VCostP", ""),
        {"D2CostP", ControlKind::TextBox, {}, {}, 0, true, colour::Credit},
        result("TVCostP", ""),
        result("TCO2P", "Predicted amount of CO2 generated in Kg"),
        // Command buttons
        button("Calc", "&Calculate", "Calculate results"),
        button("Save", "&Save",
               "Save results to history and results log files (each result can only be saved "
               "once)"),
        button("Clear", "C&lear", "Clear meter readings and results"),
        button("Get_Last", "&Get Last", "Retrieve last meter readings saved"),
        button("Del_Last", "Re&m Last", "Delete last saved meter readings"),
        button("ViewL", "&Results",
               "View Voltrake results log file (It will not be updated while open)"),
        button("ViewH", "His&tory",
               "View Voltrake history log file (It will not be updated while open)"),
        button("Archive", "&Archive", "Archive Voltrake results log file and create new one"),
        button("Save_Defaults", "Sa&ve Data", "Save Electricity Data"),
        button("Reset_Defaults", "Reset &Data", "Reset Electricity Data"),
        button("Help1", "&Help", "Voltrake Help"),
        button("About", "A&bout", "About Voltrake"),
        button("Update", "&Update",
               "Check the Brantly web site for the latest version of Voltrake"),
        button("Exit", "&Exit", "Close Voltrake"),
        // Status line, timer, logo
        label("Status", ""),
        {"Timer1", ControlKind::Timer, {}, {}, 0, false, colour::Normal},
        {"Logo", ControlKind::Picture, {}, {}, 0, false, colour::Normal},
        // Labels rewritten at run time
        label("VCostL", "VAT"),
        label("Disc1L", "%"),
        label("Label45", "%"),
        label("TVHead", "Total Cost"),
        label("PRateH", "Qtrs"),
        label("BPointL1", "After:"),
        label("BPointL2", "KWHr"),
        label("DHead", "Discount 1"),
        label("VATH", "VAT:"),
    };
    return controls;
}
