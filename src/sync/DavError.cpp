#include "DavError.h"

QString DavError::Message() const {
    switch (kind) {
    case None:
        return {};
    case Unreachable:
        return QStringLiteral("The address book server cannot be reached (%1). Check the server "
                              "address and the network.")
            .arg(detail);
    case Unauthorized:
        return QStringLiteral("The server did not accept the user name or password.");
    case TlsRefused: {
        QString text = QStringLiteral("The server's certificate is not trusted (%1). Kinbook did "
                                      "not connect, and nothing was changed.")
                           .arg(detail);
        if (!fingerprint.isEmpty())
            text += QStringLiteral(" Its SHA-256 fingerprint is %1.").arg(fingerprint);
        return text;
    }
    case NotCardDav:
        return QStringLiteral("%1 is not an address book (CardDAV) server.").arg(detail);
    case InsufficientStorage:
        return QStringLiteral("The server has no room for more contacts (507 Insufficient "
                              "Storage).");
    case Truncated:
        return QStringLiteral("The server's answer was cut off. Sync again to finish.");
    case ConnectionLost:
        return QStringLiteral("The connection to the server was lost (%1). Sync again to "
                              "finish.")
            .arg(detail);
    case PreconditionFailed:
        return QStringLiteral("The contact was changed on the server meanwhile.");
    case NotFound:
        return QStringLiteral("The server has no such address book or contact (%1).").arg(detail);
    case Http:
        return QStringLiteral("The server answered \"%1\".").arg(detail);
    case Timeout:
        return QStringLiteral("The server did not answer in time. Sync again to finish.");
    case Cancelled:
        return QStringLiteral("The sync was cancelled. Sync again to finish.");
    case OtherServer:
        return QStringLiteral("Kinbook did not send a request to %1: it is not the account's "
                              "server. The sync stopped.")
            .arg(detail);
    case OutsideBook:
        return QStringLiteral("Kinbook did not touch %1: it is outside the address book. The "
                              "sync stopped.")
            .arg(detail);
    case TooLarge:
        return QStringLiteral("The server's answer is larger than Kinbook accepts (%1). The "
                              "sync stopped before using it.")
            .arg(detail);
    case TooSlow:
        return QStringLiteral("The server did not finish its answer within %1 seconds. The "
                              "sync stopped before using it; sync again to finish.")
            .arg(detail);
    case NotSaved:
        return (detail.isEmpty()
                    ? QStringLiteral("The book could not be saved on this computer")
                    : QStringLiteral("The book could not be saved on this computer (%1)")
                          .arg(detail)) +
               QStringLiteral(", so the sync stopped. Sync again once it can be saved.");
    case MassRemoval:
        return QStringLiteral("%1 Nothing was changed.").arg(detail);
    }
    return {};
}
