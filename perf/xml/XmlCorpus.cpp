#include "perf/xml/XmlCorpus.h"

namespace {

const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

std::string Number(int n) {
    return std::to_string(n);
}

}  // namespace

std::string MainConfigText() {
    std::string text = kDeclaration;
    text += "<configuration>\n  <configSections>\n";
    for (int i = 0; i < 6; ++i) {
        text += "    <section name=\"module" + Number(i) + "\" type=\"Vistrel.Modules.Section" + Number(i) +
                ", Vistrel.Core, Version=4.2.0.0, Culture=neutral\" />\n";
    }
    text += "  </configSections>\n  <appSettings>\n";
    text += "    <add key=\"SystemInfoFileName\" value=\"SystemInfo.config\" />\n";
    for (int i = 0; i < 60; ++i) {
        text += "    <!-- setting " + Number(i) + " -->\n    <add key=\"Setting" + Number(i) + "\" value=\"" +
                (i % 3 ? "True" : "C:\\ProgramData\\Vistrel\\Data &amp; Results") + "\" />\n";
    }
    text +=
        "  </appSettings>\n  <startup>\n    <supportedRuntime version=\"v4.0\" "
        "sku=\".NETFramework,Version=v4.8\" />\n"
        "  </startup>\n</configuration>\n";
    return text;
}

std::string SystemInfoText() {
    return std::string(kDeclaration) +
           "<configuration>\n  <SystemInfo SerialNumber=\"QX-2231-0457\" Site=\"Line 3\">\n"
           "    <Software Version=\"4.2.17\" Edition=\"X\" />\n"
           "    <HardwareGroup Name=\"Optics\">\n"
           "      <Hardware HardwareConfigFile=\"QV404-Hardware.config\" Model=\"QV 404\" />\n"
           "    </HardwareGroup>\n    <Description>Vision measuring system, stage 400 x 400 "
           "mm</Description>\n"
           "  </SystemInfo>\n</configuration>\n";
}

std::string HardwareConfigText(int sections) {
    std::string text = kDeclaration;
    text += "<Settings>\n";
    for (int s = 0; s < sections; ++s) {
        text += "  <Section Name=\"Device" + Number(s) + "\">\n";
        for (int k = 0; k < 12; ++k) {
            text +=
                "    <add Key=\"Parameter" + Number(k) + "\" Value=\"" + Number(s * 100 + k) + ".25\" />\n";
        }
        text += "  </Section>\n";
    }
    text +=
        "  <Section Name=\"Can\">\n    <Section Name=\"Network\">\n      <Section Name=\"QuarnCanBridge\">\n"
        "        <add Key=\"Ip\" Value=\"192.168.100.20\" />\n        <add Key=\"Mac\" "
        "Value=\"00-1B-2C-3D-4E-5F\" />\n"
        "      </Section>\n    </Section>\n  </Section>\n</Settings>\n";
    return text;
}

std::string MeasurementText(size_t bytes) {
    std::string text = kDeclaration;
    text.reserve(bytes + 4096);
    text += "<measurements>\n";
    for (int series = 0; text.size() < bytes; ++series) {
        text +=
            "  <series id=\"" + Number(series) + "\" instrument=\"QV-404\" operator=\"J. M&#252;ller\">\n";
        for (int p = 0; p < 8; ++p) {
            text += "    <point x=\"" + Number(series % 997) + "." + Number(p) + "\" y=\"-0.25\" z=\"" +
                    Number(p * 3) + ".5\" flags=\"edge&amp;focus\"/>\n";
        }
        text += "    <note>Calibrated &lt;auto&gt; at 20 &#176;C, series " + Number(series) + "</note>\n";
        text += "    <!-- reviewed -->\n    <raw><![CDATA[0x3C8 <12 7 255>]]></raw>\n  </series>\n";
    }
    text += "</measurements>\n";
    return text;
}

std::string WideText(int children) {
    std::string text = "<root>";
    text.reserve(children * 4 + 16);
    for (int i = 0; i < children; ++i) {
        text += "<c/>";
    }
    text += "</root>";
    return text;
}
