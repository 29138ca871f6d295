#include "bills/Bill.h"

QString SourceCode(BillSource source, const QString& mappingName) {
    switch (source) {
        case BillSource::Alipay:
            return QStringLiteral("zhifubao");
        case BillSource::Wechat:
            return QStringLiteral("weixin");
        case BillSource::Icbc:
            return QStringLiteral("gongshang");
        case BillSource::CmbCredit:
            return QStringLiteral("zhaoshang-xinyongka");
        case BillSource::CmbDebit:
            return QStringLiteral("zhaoshang-chuxuka");
        case BillSource::Qif:
            return QStringLiteral("qif");
        case BillSource::Ofx:
            return QStringLiteral("ofx");
        case BillSource::MappedCsv:
            break;
    }
    return QStringLiteral("csv:") + mappingName;
}

QString SourceName(BillSource source) {
    switch (source) {
        case BillSource::Alipay:
            return QStringLiteral("支付宝帐单");
        case BillSource::Wechat:
            return QStringLiteral("微信支付帐单");
        case BillSource::Icbc:
            return QStringLiteral("工商银行借记卡对帐单");
        case BillSource::CmbCredit:
            return QStringLiteral("招商银行信用卡帐单");
        case BillSource::CmbDebit:
            return QStringLiteral("招商银行储蓄卡对帐单");
        case BillSource::Qif:
            return QStringLiteral("QIF 文件");
        case BillSource::Ofx:
            return QStringLiteral("OFX 文件");
        case BillSource::MappedCsv:
            break;
    }
    return QStringLiteral("自定义 CSV");
}
