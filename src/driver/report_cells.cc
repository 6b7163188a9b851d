#include "driver/report_cells.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include "entries/field_keywords.h"

namespace tnwk {
namespace {

bool IsTcpOrUdp(const ReportEntry& row) {
  return row.ip_protocol == kProtocolTcp || row.ip_protocol == kProtocolUdp;
}

bool IsIcmpOrIcmpv6(const ReportEntry& row) {
  return row.ip_protocol == kProtocolIcmp || row.ip_protocol == kProtocolIcmpv6;
}

bool IsEcho(const ReportEntry& row) {
  if (row.ip_protocol == kProtocolIcmp) {
    return row.icmp_type == 0 || row.icmp_type == 8;
  }
  if (row.ip_protocol == kProtocolIcmpv6) {
    return row.icmp_type == 128 || row.icmp_type == 129;
  }
  return false;
}

void PutYesNo(uint8_t value, ReportStream& out) {
  if (value == 1) {
    out.Put("Yes");
  } else if (value == 0) {
    out.Put("No");
  }
}

}  // namespace

const char* tcp_flag_text(uint8_t flags, char (&buffer)[7]) {
  constexpr uint8_t kOtherFlags =
      kTcpAck | kTcpFin | kTcpRst | kTcpPsh | kTcpUrg;
  if (flags & kOtherFlags) {
    buffer[0] = (flags & kTcpSyn) ? 's' : '-';
    buffer[1] = (flags & kTcpAck) ? 'a' : '-';
    buffer[2] = (flags & kTcpFin) ? 'f' : '-';
    buffer[3] = (flags & kTcpRst) ? 'r' : '-';
    buffer[4] = (flags & kTcpPsh) ? 'p' : '-';
    buffer[5] = (flags & kTcpUrg) ? 'u' : '-';
    buffer[6] = '\0';
  } else if (flags & kTcpSyn) {
    buffer[0] = 'S';
    buffer[1] = 'Y';
    buffer[2] = 'N';
    buffer[3] = '\0';
  } else {
    buffer[0] = '-';
    buffer[1] = '\0';
  }
  return buffer;
}

void CellFormatter::WriteCell(int column, const ReportEntry& row,
                              ReportStream& out) {
  const bool tcp = row.ip_protocol == kProtocolTcp;
  const bool udp = row.ip_protocol == kProtocolUdp;
  switch (column) {
    case kColumnId:
      out.PutUnsigned(row.id);
      return;
    case kColumnSname:
      out.PutText(row.sname);
      return;
    case kColumnCount:
      out.PutUnsigned(row.count);
      return;
    case kColumnLocalHostname:
      out.PutText(row.local_hostname);
      return;
    case kColumnOobPrefix:
      out.PutText(row.oob_prefix);
      return;
    case kColumnOobIn:
      out.PutText(row.oob_in);
      return;
    case kColumnOobOut:
      out.PutText(row.oob_out);
      return;
    case kColumnMacSaddrStr:
      out.PutText(row.mac_saddr_str);
      return;
    case kColumnMacDaddrStr:
      out.PutText(row.mac_daddr_str);
      return;
    case kColumnRawMac:
      out.PutText(row.raw_mac);
      return;
    case kColumnLocalTime:
      out.PutSigned(row.local_time);
      return;
    case kColumnEarliest:
      out.PutSigned(row.earliest);
      return;
    case kColumnLatest:
      out.PutSigned(row.latest);
      return;
    case kColumnOobMark:
      out.PutUnsigned(row.oob_mark);
      return;
    case kColumnOobProtocol:
      out.PutUnsigned(row.oob_protocol);
      return;
    case kColumnOobFamily:
      out.PutUnsigned(row.oob_family);
      return;
    case kColumnIpTotlen:
      out.PutUnsigned(row.ip_totlen);
      return;
    case kColumnIpId:
      out.PutUnsigned(row.ip_id);
      return;
    case kColumnIp6Flowlabel:
      out.PutUnsigned(row.ip6_flowlabel);
      return;
    case kColumnIp6Payloadlen:
      out.PutUnsigned(row.ip6_payloadlen);
      return;
    // These fields are narrower than int, so "%i" of the unsigned value is
    // the plain decimal number.
    case kColumnIpCsum:
      out.PutUnsigned(row.ip_csum);
      return;
    case kColumnIpFragoff:
      out.PutUnsigned(row.ip_fragoff);
      return;
    case kColumnIpIhl:
      out.PutUnsigned(row.ip_ihl);
      return;
    case kColumnIpTos:
      out.PutUnsigned(row.ip_tos);
      return;
    case kColumnIpTtl:
      out.PutUnsigned(row.ip_ttl);
      return;
    case kColumnIpProtocol:
      out.PutText(protocol_names_.Name(row.ip_protocol).c_str());
      return;
    case kColumnIpSaddr:
      out.PutText(row.ip_saddr.text.c_str());
      return;
    case kColumnIpDaddr:
      out.PutText(row.ip_daddr.text.c_str());
      return;
    case kColumnSrcHost:
      if (row.src_host[0] != '\0') {
        out.PutText(row.src_host);
      } else {
        cache_->lookup_cached_host(row.ip_saddr.text.c_str(), &looked_up_);
        out.PutText(looked_up_.c_str());
      }
      return;
    case kColumnDstHost:
      if (row.dst_host[0] != '\0') {
        out.PutText(row.dst_host);
      } else {
        cache_->lookup_cached_host(row.ip_daddr.text.c_str(), &looked_up_);
        out.PutText(looked_up_.c_str());
      }
      return;
    case kColumnSport:
      if (IsTcpOrUdp(row)) out.PutUnsigned(row.sport);
      return;
    case kColumnDport:
      if (IsTcpOrUdp(row)) out.PutUnsigned(row.dport);
      return;
    case kColumnSrcService:
      if (row.src_service[0] != '\0') {
        out.PutText(row.src_service);
      } else {
        cache_->lookup_cached_service(row.ip_protocol, row.sport, &looked_up_);
        out.PutText(looked_up_.c_str());
      }
      return;
    case kColumnDstService:
      if (row.dst_service[0] != '\0') {
        out.PutText(row.dst_service);
      } else {
        cache_->lookup_cached_service(row.ip_protocol, row.dport, &looked_up_);
        out.PutText(looked_up_.c_str());
      }
      return;
    case kColumnIcmpType:
      if (IsIcmpOrIcmpv6(row)) out.PutUnsigned(row.icmp_type);
      return;
    case kColumnIcmpCode:
      if (IsIcmpOrIcmpv6(row)) out.PutUnsigned(row.icmp_code);
      return;
    case kColumnTcpSeq:
      if (tcp) out.PutUnsigned(row.tcp_seq);
      return;
    case kColumnTcpAckseq:
      if (tcp) out.PutUnsigned(row.tcp_ackseq);
      return;
    case kColumnTcpWindow:
      if (tcp) out.PutUnsigned(row.tcp_window);
      return;
    case kColumnTcpUrgp:
      if (tcp) out.PutUnsigned(row.tcp_urgp);
      return;
    case kColumnTcpOptions:
      if (tcp) {
        char buffer[7];
        out.Put(tcp_flag_text(row.tcp_flags, buffer));
      }
      return;
    case kColumnUdpLen:
      if (udp) out.PutUnsigned(row.udp_len);
      return;
    case kColumnIcmpEchoid:
      if (IsEcho(row)) out.PutUnsigned(row.icmp_echoid);
      return;
    case kColumnIcmpEchoseq:
      if (IsEcho(row)) out.PutUnsigned(row.icmp_echoseq);
      return;
    case kColumnIcmpFragmtu:
      if (row.ip_protocol == kProtocolIcmp && row.icmp_type == 3 &&
          row.icmp_code == 4) {
        out.PutUnsigned(row.icmp_fragmtu);
      }
      return;
    case kColumnIcmpGateway:
      if (row.ip_protocol == kProtocolIcmp && row.icmp_type == 5) {
        in_addr gateway{};
        gateway.s_addr = row.icmp_gateway;
        char text[INET_ADDRSTRLEN];
        if (inet_ntop(AF_INET, &gateway, text, sizeof text) != nullptr) {
          out.Put(text);
        }
      }
      return;
    case kColumnAhespSpi:
      if (row.ip_protocol == kProtocolEsp || row.ip_protocol == kProtocolAh) {
        out.PutUnsigned(row.ahesp_spi);
      }
      return;
    default:
      break;
  }
  if (column >= kColumnLocationSourceBase &&
      column < kColumnLocationDestinationBase) {
    WriteLocationCell(column - kColumnLocationSourceBase, *row.src_location,
                      *row.src_asn, out);
  } else if (column >= kColumnLocationDestinationBase &&
             column < kColumnIdLimit) {
    WriteLocationCell(column - kColumnLocationDestinationBase,
                      *row.dst_location, *row.dst_asn, out);
  }
}

void CellFormatter::WriteLocationCell(int field, const LocationRecord& location,
                                      const AsRecord& as, ReportStream& out) {
  switch (field) {
    case kLocContinentCode:
      out.PutText(location.continent_code.c_str());
      return;
    case kLocContinentName:
      out.PutText(location.continent_name.c_str());
      return;
    case kLocCountryIsoCode:
      out.PutText(location.country_iso_code.c_str());
      return;
    case kLocCountryName:
      out.PutText(location.country_name.c_str());
      return;
    case kLocSubdivision1IsoCode:
      out.PutText(location.subdivision_1_iso_code.c_str());
      return;
    case kLocSubdivision1Name:
      out.PutText(location.subdivision_1_name.c_str());
      return;
    case kLocSubdivision2IsoCode:
      out.PutText(location.subdivision_2_iso_code.c_str());
      return;
    case kLocSubdivision2Name:
      out.PutText(location.subdivision_2_name.c_str());
      return;
    case kLocCityName:
      out.PutText(location.city_name.c_str());
      return;
    case kLocMetroCode:
      if (location.metro_code != 0) out.PutUnsigned(location.metro_code);
      return;
    case kLocTimeZone:
      out.PutText(location.time_zone.c_str());
      return;
    case kLocAccuracyRadius:
      if (location.accuracy_radius != 0) {
        out.PutUnsigned(location.accuracy_radius);
      }
      return;
    case kLocRegisteredCountryGeonameId:
      out.PutText(location.registered_country_geoname_id.c_str());
      return;
    case kLocRepresentedCountryGeonameId:
      out.PutText(location.represented_country_geoname_id.c_str());
      return;
    case kLocIsAnonymousProxy:
      PutYesNo(location.is_anonymous_proxy, out);
      return;
    case kLocIsSatelliteProvider:
      PutYesNo(location.is_satellite_provider, out);
      return;
    case kLocPostalCode:
      out.PutText(location.postal_code.c_str());
      return;
    case kLocLatitude:
      if (location.latitude != 0.0) out.PutDouble(location.latitude);
      return;
    case kLocLongitude:
      if (location.longitude != 0.0) out.PutDouble(location.longitude);
      return;
    case kLocIsInEuropeanUnion:
      PutYesNo(location.is_in_european_union, out);
      return;
    case kLocAutonomousSystemNumber:
      if (as.autonomous_system_number != 0) {
        out.PutUnsigned(as.autonomous_system_number);
      }
      return;
    case kLocAutonomousSystemOrganization:
      out.PutText(as.autonomous_system_organization.c_str());
      return;
    default:
      return;
  }
}

}  // namespace tnwk
