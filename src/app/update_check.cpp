#include "app/update_check.h"

#include "app/app_controls.h"
#include "platform/dialogs.h"
#include "platform/processes.h"
#include "settings/folders.h"
#include "settings/text_file.h"
#include "web/hosts.h"
#include "web/http_client.h"
#include "web/json_reader.h"

namespace dealcast::app {
namespace {

void log(const UpdateContext& context, const std::string& line)
{
    if (context.log)
        context.log(line);
}

// Shell single quotes hold any byte but the quote itself, which becomes '\''.
std::string shellQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out.push_back(c);
    }
    out.push_back('\'');
    return out;
}

// Downloads `path` of the update host; empty when the host is unset or the download failed.
std::string download(const UpdateContext& context, const std::string& path)
{
    const std::string url = context.hosts.url(web::role::kUpdateHost, path);
    if (url.empty())
        return {};
    web::CookieJar cookie;
    web::HttpRequest request;
    request.url = url;
    const web::HttpResponse response = context.http.requestBytes(request, cookie);
    if (response.status != 200)
        return {};
    return response.bytes;
}

}  // namespace

std::string removalScript(const std::filesystem::path& program, const std::filesystem::path& script)
{
    return "#!/bin/sh\n"
           "sleep 1\n"
           "rm -f -- " + shellQuote(program.string()) + "\n"
           "rm -f -- " + shellQuote(script.string()) + "\n";
}

UpdateOutcome checkForUpdate(const UpdateContext& context)
{
    if (!context.hosts.isSet(web::role::kUpdateHost)) {
        log(context, context.hosts.unsetMessage(web::role::kUpdateHost));
        return UpdateOutcome::Continue;
    }
    web::JsonReader answer;
    answer.parse(context.http.get(context.hosts.url(web::role::kUpdateHost, "/updata.html")));
    const std::string version = answer.getText("data.version");
    const std::string updateUrl = answer.getText("data.update_url");
    if (version == kProgramVersion || updateUrl.empty())
        return UpdateOutcome::Continue;
    if (context.dialogs.ask("发现新版本，是否立即升级？", "升级提示", platform::DialogButtons::YesNo,
                            platform::DialogIcon::Question) != platform::DialogResult::Yes)
        return UpdateOutcome::Continue;

    const std::filesystem::path updater = context.folders.updaterPath();
    std::error_code ec;
    if (!std::filesystem::exists(updater, ec)) {
        // An updater that did not arrive whole is never started: the program keeps running as it is.
        const std::string bytes = download(context, "/updata.exe");
        if (bytes.empty() || !settings::writeFileAtomically(updater, bytes)) {
            log(context, "下载升级程序失败，继续使用当前版本");
            return UpdateOutcome::Continue;
        }
        std::filesystem::permissions(updater, std::filesystem::perms::owner_exec | std::filesystem::perms::group_exec,
                                     std::filesystem::perm_options::add, ec);
    }
    if (!context.processes.start(updater)) {
        log(context, "启动升级程序失败，继续使用当前版本");
        return UpdateOutcome::Continue;
    }
    const std::filesystem::path script = context.folders.removalScriptPath();
    if (settings::writeFileAtomically(script, removalScript(context.programPath, script)))
        context.processes.start("/bin/sh", {script.string()});
    return UpdateOutcome::Exit;
}

void updatePlugin(const UpdateContext& context)
{
    if (context.processes.hasTopLevelWindow("CQUI", "酷Q Air")) {
        context.dialogs.notice("请先退出酷Q！");
        return;
    }
    if (!context.hosts.isSet(web::role::kUpdateHost)) {
        log(context, context.hosts.unsetMessage(web::role::kUpdateHost));
        return;
    }
    log(context, "开始更新插件！");
    // A failed download keeps the plug-in that is there rather than replacing it with nothing.
    const std::string bytes = download(context, "/com.hlan.cn.cpk");
    if (bytes.empty() || !settings::writeFileAtomically(context.folders.pluginPath(), bytes)) {
        log(context, "插件下载失败，保留原插件");
        return;
    }
    log(context, "禾岚插件更新完成");
}

}  // namespace dealcast::app
