#pragma once

#include "data/Money.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

// A bill as its file gives it, before anything is decided about its lines: the layout it was recognised
// as and one row per transaction line, every text trimmed of the blanks, tabs and quotes the exporting
// program pads its cells with.

// The layouts read. The code of each is stored with every line imported from it (zhangdanhao.laiyuan),
// so it never changes once released.
enum class BillSource {
    Alipay,     // 支付宝 personal bill, current CSV and the older web export: "zhifubao"
    Wechat,     // 微信支付 bill, CSV and XLSX: "weixin"
    Icbc,       // 工商银行 debit card statement, CSV: "gongshang"
    CmbCredit,  // 招商银行 credit card statement, CSV: "zhaoshang-xinyongka"
    CmbDebit,   // 招商银行 debit card statement, CSV: "zhaoshang-chuxuka"
    Qif,        // QIF as other money programs export it: "qif"
    Ofx,        // OFX or QFX: "ofx"
    MappedCsv,  // any other CSV read through a saved column mapping: "csv:" and the mapping's name
};

// The stored code of a source ("zhifubao"...); a mapped CSV's carries the mapping's name.
QString SourceCode(BillSource source, const QString& mappingName = {});
// The layout's name as the windows show it ("支付宝帐单", "微信支付帐单", "工商银行借记卡对帐单", ...).
QString SourceName(BillSource source);

// Which way a line moves money, as the bill says: 支出, 收入, or neither (支付宝's 不计收支, 微信's "/").
enum class BillDirection { Out, In, Neither };

struct BillRow {
    int line =
        0;  // the line of the file (the sheet's row for XLSX, the transaction's number for OFX), from 1
    QDate day;
    QTime time;            // null when the bill gives only the day
    QString counterparty;  // 交易对方, 对方户名, 对手信息, QIF payee
    QString description;   // 商品说明, 商品, 交易详情 / 摘要, QIF memo, OFX name and memo
    QString category;      // how the bill classes the line: 交易分类, 交易类型, 摘要
    BillDirection direction = BillDirection::Out;
    Money amount;  // never negative; the direction says which way
    Money fee;  // 服务费 (微信's "服务费¥0.10" in 备注, the older 支付宝 export's 服务费（元）); 0 when none
    Money refunded;  // the older 支付宝 export's 成功退款（元）; 0 when none
    QString method;  // 收/付款方式, 支付方式 ("余额", "零钱", "招商银行储蓄卡(1234)", "花呗"); empty on a
                     // statement
    QString status;  // 交易状态, 当前状态 ("交易成功", "交易关闭", "退款成功", "支付成功", "已全额退款" ...)
    QString
        number;  // the bill's own transaction number (交易订单号, 交易单号, 交易号, OFX FITID); may be empty
    QString merchantNumber;  // 商家订单号, 商户单号: pairs a refund with its purchase
    QString remark;          // 备注
    QString balance;         // a statement's running balance as printed, for the key of a line without number
    // Non-empty when the line could not be read: the reason in Chinese ("金额“abc”不是数字").
    // Such a line is listed in the preview with its line number and never imported.
    QString problem;
};

struct Bill {
    BillSource source = BillSource::MappedCsv;
    QString sourceCode;  // SourceCode(source, mapping name)
    QString path;        // the file it was read from
    // The account a statement belongs to, as far as the file says: the card's last four digits
    // (招商银行 卡号末四位), the OFX account id. Empty for 支付宝 and 微信, whose lines name their method.
    QString account;
    QList<BillRow> rows;
};
