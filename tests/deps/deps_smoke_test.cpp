// Each third-party library is exercised once through the cross-built binaries, so a broken
// dependency build shows up here rather than deep inside a product test.
#include <gtest/gtest.h>

#include <curl/curl.h>
#include <json/json.h>
#include <pugixml.hpp>
#include <zlib.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>
#define NANOSVG_IMPLEMENTATION
#include <nanosvg.h>
#define NANOSVGRAST_IMPLEMENTATION
#include <nanosvgrast.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string g_portFile;

size_t AppendToString(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

std::string ReadPort() {
    std::ifstream in(g_portFile);
    std::string port;
    in >> port;
    return port;
}

TEST(Dependencies, CurlFetchesOverHttpsFromLoopback) {
    const std::string port = ReadPort();
    ASSERT_FALSE(port.empty()) << "no port in " << g_portFile;
    ASSERT_EQ(curl_global_init(CURL_GLOBAL_ALL), CURLE_OK);
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    EXPECT_TRUE(info->features & CURL_VERSION_SSL);

    CURL* curl = curl_easy_init();
    ASSERT_NE(curl, nullptr);
    std::string body;
    const std::string url = "https://127.0.0.1:" + port + "/hello";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendToString);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);  // self-signed test certificate
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
    const CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    curl_global_cleanup();

    ASSERT_EQ(rc, CURLE_OK) << curl_easy_strerror(rc);
    EXPECT_EQ(status, 200);
    EXPECT_EQ(body, R"({"greeting":"hello","count":3})");
}

TEST(Dependencies, JsoncppReaderParsesObjects) {
    Json::Reader reader;
    Json::Value root;
    ASSERT_TRUE(reader.parse(R"({"state":0,"data":{"onlineUrl":"https://x/y"}})", root));
    EXPECT_EQ(root["state"].asInt(), 0);
    EXPECT_EQ(root["data"]["onlineUrl"].asString(), "https://x/y");
    EXPECT_FALSE(reader.parse("{not json", root));
}

TEST(Dependencies, PugixmlParsesWideMarkup) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(L"<Window size=\"690,460\"><Label name=\"a\"/></Window>"));
    EXPECT_STREQ(doc.child(L"Window").attribute(L"size").value(), L"690,460");
    EXPECT_STREQ(doc.child(L"Window").first_child().name(), L"Label");
    EXPECT_FALSE(doc.load_string(L"<Window><Label></Window>"));
}

TEST(Dependencies, ZlibRawInflateRoundTrips) {
    const std::string text(5000, 'z');
    z_stream out{};
    ASSERT_EQ(deflateInit2(&out, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::vector<unsigned char> packed(deflateBound(&out, text.size()));
    out.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    out.avail_in = static_cast<uInt>(text.size());
    out.next_out = packed.data();
    out.avail_out = static_cast<uInt>(packed.size());
    ASSERT_EQ(deflate(&out, Z_FINISH), Z_STREAM_END);
    packed.resize(out.total_out);
    deflateEnd(&out);

    z_stream in{};
    ASSERT_EQ(inflateInit2(&in, -MAX_WBITS), Z_OK);
    std::string back(text.size(), '\0');
    in.next_in = packed.data();
    in.avail_in = static_cast<uInt>(packed.size());
    in.next_out = reinterpret_cast<Bytef*>(&back[0]);
    in.avail_out = static_cast<uInt>(back.size());
    EXPECT_EQ(inflate(&in, Z_FINISH), Z_STREAM_END);
    inflateEnd(&in);
    EXPECT_EQ(back, text);
    EXPECT_LT(packed.size(), 100u);
}

TEST(Dependencies, StbImageDecodesPng) {
    // 2x2 RGBA: red, half-transparent green / blue, transparent white.
    static const unsigned char png[] = {
        0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52,
        0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x72, 0xb6, 0x0d,
        0x24, 0x00, 0x00, 0x00, 0x15, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8, 0xcf, 0xc0, 0xf0,
        0x1f, 0x08, 0x1b, 0x18, 0x80, 0x34, 0x08, 0x30, 0x00, 0x00, 0x43, 0xd3, 0x08, 0x79, 0xc9, 0x15,
        0x1c, 0x0f, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    int w = 0, h = 0, n = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> pixels(
        stbi_load_from_memory(png, sizeof png, &w, &h, &n, 4), stbi_image_free);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 2);
    const unsigned char* p = pixels.get();
    EXPECT_EQ(p[0], 255); EXPECT_EQ(p[1], 0); EXPECT_EQ(p[3], 255);
    EXPECT_EQ(p[5], 255); EXPECT_EQ(p[7], 128);
    EXPECT_EQ(p[10], 255);
    EXPECT_EQ(p[15], 0);
}

TEST(Dependencies, NanosvgRasterisesShapes) {
    char svg[] = "<svg xmlns='http://www.w3.org/2000/svg' width='24' height='24'>"
                 "<rect x='0' y='0' width='12' height='24' fill='#0000ff'/></svg>";
    NSVGimage* image = nsvgParse(svg, "px", 96.0f);
    ASSERT_NE(image, nullptr);
    EXPECT_FLOAT_EQ(image->width, 24.0f);
    NSVGrasterizer* rast = nsvgCreateRasterizer();
    std::vector<unsigned char> rgba(48 * 48 * 4);
    nsvgRasterize(rast, image, 0, 0, 2.0f, rgba.data(), 48, 48, 48 * 4);
    nsvgDeleteRasterizer(rast);
    nsvgDelete(image);
    const unsigned char* left = &rgba[(10 * 48 + 5) * 4];
    const unsigned char* right = &rgba[(10 * 48 + 40) * 4];
    EXPECT_EQ(left[2], 255);
    EXPECT_EQ(left[3], 255);
    EXPECT_EQ(right[3], 0);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc > 1) g_portFile = argv[1];
    return RUN_ALL_TESTS();
}
